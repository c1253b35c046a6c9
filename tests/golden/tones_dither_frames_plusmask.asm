	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $04
	.equ IMG_0_SIZE $18
	.equ IMG_0_PACKETS $18
	.equ IMG_0_START $00
	.equ IMG_0_FLAG $FE
img0_data:
	.db $FF,$00,$FF,$00,$FF,$00,$FF,$00,$FF,$00,$FF,$00,$FF,$00,$FF,$00
	.db $FF,$00,$FF,$00,$FF,$00,$FF,$00
	.equ IMG_1_SIZE $15
	.equ IMG_1_PACKETS $14
	.equ IMG_1_START $00
	.equ IMG_1_FLAG $FE
img1_data:
	.db $FF,$00,$FF,$00,$EF,$00,$BA,$00,$4D,$00,$F3,$00,$0C,$00,$51,$00
	.db $44,$00,$11,$FE,$07
	.equ IMG_2_SIZE $18
	.equ IMG_2_PACKETS $18
	.equ IMG_2_START $00
	.equ IMG_2_FLAG $FE
img2_data:
	.db $FF,$02,$FA,$20,$D4,$04,$43,$40,$3F,$08,$FF,$81,$FF,$10,$FF,$02
	.db $FA,$20,$D4,$04,$47,$40,$3F,$08
	.equ IMG_3_SIZE $18
	.equ IMG_3_PACKETS $18
	.equ IMG_3_START $00
	.equ IMG_3_FLAG $FE
img3_data:
	.db $FF,$81,$FF,$10,$FF,$02,$F5,$20,$D4,$04,$47,$40,$3F,$08,$FF,$81
	.db $FF,$10,$FF,$02,$FA,$20,$A4,$04
