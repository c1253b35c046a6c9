	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1C
	.equ IMG_PACKETS $00
	.equ IMG_START $04
img_data:
	.db $FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF,$ED,$FF,$CD,$DF
	.db $85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
