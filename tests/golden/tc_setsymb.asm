	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.set IMG_SIZE $1C
	.set IMG_PACKETS $00
	.set IMG_START $0A
img_data:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF,$ED,$FF,$CD,$DF
	.db $85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
