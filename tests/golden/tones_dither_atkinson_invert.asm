	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$00,$FF,$00,$FF,$00,$FC,$22,$C0,$28,$0B,$85,$7F,$B6,$FF,$3A
	.db $FF,$EB,$FF,$FF,$F8,$FF,$C0,$FF,$0F,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$F8,$FF,$C1,$FF,$0F,$FF,$7F,$FF,$FF,$FF,$FF,$FF,$FF,$FF
