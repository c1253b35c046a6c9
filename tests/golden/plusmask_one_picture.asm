	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $C0
	.equ IMG_PACKETS $00
	.equ IMG_START $00
	.equ IMG_WIDTH $30
	.equ IMG_HEIGHT $10
img_data:
	.db $DB,$88,$F6,$44,$6F,$22,$DB,$11,$BE,$88,$6D,$44,$FB,$22,$B7,$11
	.db $ED,$88,$DF,$44,$B6,$22,$7D,$11,$DB,$88,$F6,$44,$6F,$22,$DB,$11
	.db $CC,$88,$CC,$44,$33,$22,$33,$11,$CC,$88,$CC,$44,$33,$22,$33,$11
	.db $CC,$88,$CC,$44,$33,$22,$33,$11,$CC,$88,$CC,$44,$33,$22,$33,$11
	.db $00,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00
	.db $7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$00,$00
	.db $FF,$00,$FF,$00,$37,$00,$2B,$00,$F7,$00,$FF,$00,$FF,$00,$FF,$00
	.db $FF,$00,$BF,$00,$FF,$00,$F3,$00,$CB,$00,$83,$00,$CC,$00,$FF,$00
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$88,$FF,$44,$FF,$22,$FF,$11,$FF,$88,$FF,$44,$FF,$22,$FF,$11
	.db $FF,$88,$FF,$44,$FF,$22,$FF,$11,$FF,$88,$D6,$44,$B2,$22,$93,$11
