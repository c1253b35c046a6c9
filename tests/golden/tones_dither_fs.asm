	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$FA,$FF,$A4,$FF,$43,$FF,$3F,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $F4,$FF,$D2,$FF,$87,$FF,$3F,$FF,$FF,$FF,$FF,$FF,$FF,$EF,$F4,$BA
	.db $D4,$4D,$07,$F3,$3F,$0C,$FF,$51,$FF,$44,$FF,$11,$FC,$00,$C0,$00
