	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $01,$00,$0F,$00,$FF,$00,$FC,$00,$C0,$00,$00,$00,$00,$00,$01,$00
	.db $1F,$00,$FF,$00,$F8,$00,$C0,$00,$00,$00,$00,$00,$03,$00,$1F,$FF
	.db $FF,$FF,$F8,$FF,$C0,$FF,$00,$FF,$00,$FF,$03,$FF,$1F,$FF,$FF,$FF
