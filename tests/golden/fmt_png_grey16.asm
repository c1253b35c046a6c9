	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $20
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$FF,$FF,$FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF
	.db $ED,$FF,$CD,$DF,$85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
