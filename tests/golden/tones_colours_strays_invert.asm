	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $AF,$00,$7F,$00,$FD,$00,$FC,$00,$C5,$00,$8F,$00,$5F,$00,$FD,$00
	.db $FB,$00,$FF,$FF,$FB,$FF,$D7,$FF,$3F,$FF,$76,$FF,$FF,$FF,$7F,$FF
	.db $FF,$FF,$FC,$FF,$F4,$FF,$CD,$FF,$5F,$FF,$FF,$FF,$FB,$FF,$FF,$FF
