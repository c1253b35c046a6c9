	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $78,$FF,$F0,$FF,$83,$FF,$07,$FF,$1F,$FF,$7C,$FF,$F0,$FF,$C3,$FF
	.db $0F,$FF,$1C,$FF,$74,$FF,$F8,$FF,$C3,$00,$8F,$00,$3C,$00,$F0,$00
	.db $C1,$00,$03,$00,$0F,$00,$3E,$00,$F8,$00,$E1,$00,$87,$00,$1E,$00
