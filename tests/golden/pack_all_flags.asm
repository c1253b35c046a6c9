	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.set IMG_SIZE $1E
	.set IMG_PACKETS $00
	.set IMG_START $02
img_data:
	.db $9B,$95,$FB,$FF,$FF,$F9,$89,$8F,$8F,$F9,$E5,$C1,$E6,$FF,$FF,$FF
	.db $81,$A9,$B9,$81,$FD,$FD,$ED,$CD,$85,$CD,$ED,$FF,$7F,$FB
