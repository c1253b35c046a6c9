	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$FC,$FF,$F3,$FF,$C7,$FF,$3F,$FF,$FF,$FF,$FE,$FF,$FB,$FF
	.db $EF,$FF,$9F,$FF,$7F,$FF,$FE,$FF,$FB,$FF,$EF,$FF,$BF,$FF,$FE,$FF
	.db $F9,$FF,$E3,$FF,$BF,$00,$BF,$00,$FE,$00,$FD,$00,$E7,$00,$DF,$00
