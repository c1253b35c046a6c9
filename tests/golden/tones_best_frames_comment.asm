	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: frle

	.equ IMG_FRAMES $06
	.equ IMG_0_SIZE $10
	.equ IMG_0_PACKETS $0D
	.equ IMG_0_START $00
img0_data:
	.include "tablecode_frle.asm"
	.db $FE,$FF,$FF,$37,$2B,$F7,$FE,$04,$FF,$BF,$FF,$F3,$CB,$83,$CC,$FF
	.equ IMG_1_SIZE $04
	.equ IMG_1_PACKETS $01
	.equ IMG_1_START $00
img1_data:
	.db $FE,$FE,$10,$FF
	.equ IMG_2_SIZE $07
	.equ IMG_2_PACKETS $02
	.equ IMG_2_START $00
img2_data:
	.db $FE,$FE,$0D,$FF,$FE,$03,$92
	.equ IMG_3_SIZE $11
	.equ IMG_3_PACKETS $10
	.equ IMG_3_START $00
img3_data:
	.db $FE,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D
	.db $DB
	.equ IMG_4_SIZE $11
	.equ IMG_4_PACKETS $10
	.equ IMG_4_START $00
img4_data:
	.db $FE,$CC,$CC,$33,$33,$CC,$CC,$33,$33,$CC,$CC,$33,$33,$CC,$CC,$33
	.db $33
	.equ IMG_5_SIZE $06
	.equ IMG_5_PACKETS $03
	.equ IMG_5_START $00
img5_data:
	.db $FE,$00,$FE,$0E,$7E,$00
