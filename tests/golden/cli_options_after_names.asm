	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1F
	.equ IMG_PACKETS $1D
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$04,$81,$9B,$A9,$95,$B9,$FB,$81,$FF,$FD,$FF,$FD,$F9,$ED
	.db $89,$CD,$8F,$85,$8F,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
