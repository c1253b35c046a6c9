	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.set HERO_FRAMES $03
	.set HERO_WIDTH $10
	.set HERO_HEIGHT $10
	.set HERO_0_SIZE $1F
	.set HERO_0_PACKETS $1F
	.set HERO_0_START $00
	.set HERO_0_FLAG $FE
hero0_data:
	.include "tablecode_bnp.asm"
	.db $DB,$FF,$B6,$FF,$6D,$37,$DB,$2B,$B6,$F7,$6D,$FF,$DB,$FF,$B6,$FF
	.db $6D,$FF,$DB,$BF,$B6,$FF,$6D,$F3,$DB,$CB,$B6,$83,$6D,$CC,$DB
	.set HERO_1_SIZE $1F
	.set HERO_1_PACKETS $1F
	.set HERO_1_START $00
	.set HERO_1_FLAG $FE
hero1_data:
	.db $CC,$FF,$CC,$FF,$33,$FF,$33,$FF,$CC,$FF,$CC,$FF,$33,$FF,$33,$FF
	.db $CC,$FF,$CC,$FF,$33,$FF,$33,$FF,$CC,$FF,$CC,$FF,$33,$FF,$33
	.set HERO_2_SIZE $20
	.set HERO_2_PACKETS $20
	.set HERO_2_START $00
	.set HERO_2_FLAG $FE
hero2_data:
	.db $00,$FF,$7E,$FF,$7E,$FF,$7E,$FF,$7E,$FF,$7E,$FF,$7E,$FF,$7E,$FF
	.db $7E,$FF,$7E,$FF,$7E,$FF,$7E,$FF,$7E,$FF,$7E,$92,$7E,$92,$00,$92
