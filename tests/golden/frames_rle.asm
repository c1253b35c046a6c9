	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $06
	.equ IMG_0_SIZE $14
	.equ IMG_0_PACKETS $0A
	.equ IMG_0_START $02
img0_data:
	.db $01,$37,$01,$2B,$01,$F7,$04,$FF,$01,$BF,$01,$FF,$01,$F3,$01,$CB
	.db $01,$83,$01,$CC
	.equ IMG_1_SIZE $00
	.equ IMG_1_PACKETS $00
	.equ IMG_1_START $10
img1_data:
	.equ IMG_2_SIZE $02
	.equ IMG_2_PACKETS $01
	.equ IMG_2_START $0D
img2_data:
	.db $03,$92
	.equ IMG_3_SIZE $20
	.equ IMG_3_PACKETS $10
	.equ IMG_3_START $00
img3_data:
	.db $01,$DB,$01,$B6,$01,$6D,$01,$DB,$01,$B6,$01,$6D,$01,$DB,$01,$B6
	.db $01,$6D,$01,$DB,$01,$B6,$01,$6D,$01,$DB,$01,$B6,$01,$6D,$01,$DB
	.equ IMG_4_SIZE $10
	.equ IMG_4_PACKETS $08
	.equ IMG_4_START $00
img4_data:
	.db $02,$CC,$02,$33,$02,$CC,$02,$33,$02,$CC,$02,$33,$02,$CC,$02,$33
	.equ IMG_5_SIZE $06
	.equ IMG_5_PACKETS $03
	.equ IMG_5_START $00
img5_data:
	.db $01,$00,$0E,$7E,$01,$00
