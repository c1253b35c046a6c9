	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $20
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$FD,$ED,$FD,$FD,$FD,$FD,$ED,$CD,$85,$CD,$ED,$FF,$7F,$FB
	.db $FF,$FF,$9B,$95,$FB,$FF,$FF,$FF,$FF,$DF,$FF,$F9,$E5,$C1,$E6,$FF
