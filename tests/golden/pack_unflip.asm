	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $20
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$FF,$FF,$9B,$FD,$95,$ED,$FB,$FD,$FF,$FD,$FF,$FD,$FF,$FD
	.db $FF,$ED,$DF,$CD,$FF,$85,$F9,$CD,$E5,$ED,$C1,$FF,$E6,$7F,$FF,$FB
