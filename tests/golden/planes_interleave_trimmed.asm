	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; planes: mask,full interleaved

	.equ IMG_FRAMES $06
	.equ IMG_0_SIZE $20
	.equ IMG_0_PACKETS $20
	.equ IMG_0_START $00
	.equ IMG_0_FLAG $FE
img0_data:
	.db $00,$FF,$00,$FF,$00,$37,$00,$2B,$00,$F7,$00,$FF,$00,$FF,$00,$FF
	.db $00,$FF,$00,$BF,$00,$FF,$00,$F3,$00,$CB,$00,$83,$00,$CC,$00,$FF
	.equ IMG_1_SIZE $00
	.equ IMG_1_PACKETS $00
	.equ IMG_1_START $20
	.equ IMG_1_FLAG $FE
img1_data:
	.equ IMG_2_SIZE $20
	.equ IMG_2_PACKETS $20
	.equ IMG_2_START $00
	.equ IMG_2_FLAG $FE
img2_data:
	.db $88,$FF,$44,$FF,$22,$FF,$11,$FF,$88,$FF,$44,$FF,$22,$FF,$11,$FF
	.db $88,$FF,$44,$FF,$22,$FF,$11,$FF,$88,$FF,$44,$D6,$22,$B2,$11,$93
	.equ IMG_3_SIZE $20
	.equ IMG_3_PACKETS $20
	.equ IMG_3_START $00
	.equ IMG_3_FLAG $FE
img3_data:
	.db $88,$DB,$44,$F6,$22,$6F,$11,$DB,$88,$BE,$44,$6D,$22,$FB,$11,$B7
	.db $88,$ED,$44,$DF,$22,$B6,$11,$7D,$88,$DB,$44,$F6,$22,$6F,$11,$DB
	.equ IMG_4_SIZE $20
	.equ IMG_4_PACKETS $20
	.equ IMG_4_START $00
	.equ IMG_4_FLAG $FE
img4_data:
	.db $88,$CC,$44,$CC,$22,$33,$11,$33,$88,$CC,$44,$CC,$22,$33,$11,$33
	.db $88,$CC,$44,$CC,$22,$33,$11,$33,$88,$CC,$44,$CC,$22,$33,$11,$33
	.equ IMG_5_SIZE $1E
	.equ IMG_5_PACKETS $1D
	.equ IMG_5_START $00
	.equ IMG_5_FLAG $FE
img5_data:
	.db $FE,$13,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00
	.db $7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$00,$7E,$FE
