	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $40
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$00,$FF,$00,$FF,$00,$FF,$00,$FD,$00,$9B,$00,$ED,$00,$95,$00
	.db $FD,$00,$FB,$00,$FD,$00,$FF,$00,$FD,$00,$FF,$00,$FD,$00,$FF,$00
	.db $ED,$00,$FF,$00,$CD,$00,$DF,$00,$85,$00,$FF,$00,$CD,$00,$F9,$00
	.db $ED,$00,$E5,$00,$FF,$00,$C1,$00,$7F,$00,$E6,$00,$FB,$00,$FF,$00
