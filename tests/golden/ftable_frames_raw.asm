	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $06
	.equ IMG_0_SIZE $10
	.equ IMG_0_PACKETS $00
	.equ IMG_0_START $00
hero0_data:
	.db $FF,$FF,$37,$2B,$F7,$FF,$FF,$FF,$FF,$BF,$FF,$F3,$CB,$83,$CC,$FF
	.equ IMG_1_SIZE $10
	.equ IMG_1_PACKETS $00
	.equ IMG_1_START $00
hero1_data:
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.equ IMG_2_SIZE $10
	.equ IMG_2_PACKETS $00
	.equ IMG_2_START $00
hero2_data:
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$92,$92,$92
	.equ IMG_3_SIZE $10
	.equ IMG_3_PACKETS $00
	.equ IMG_3_START $00
hero3_data:
	.db $DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB
	.equ IMG_4_SIZE $10
	.equ IMG_4_PACKETS $00
	.equ IMG_4_START $00
hero4_data:
	.db $CC,$CC,$33,$33,$CC,$CC,$33,$33,$CC,$CC,$33,$33,$CC,$CC,$33,$33
	.equ IMG_5_SIZE $10
	.equ IMG_5_PACKETS $00
	.equ IMG_5_START $00
hero5_data:
	.db $00,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$7E,$00
hero_frames:
	.dw hero0_data
	.dw hero1_data
	.dw hero2_data
	.dw hero3_data
	.dw hero4_data
	.dw hero5_data
