	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; planes: full,dim,mask

	.equ IMG_FRAMES $06
	.equ IMG_0_FULL_SIZE $18
	.equ IMG_0_FULL_PACKETS $0C
	.equ IMG_0_FULL_START $00
img0_full_data:
	.db $02,$FF,$01,$37,$01,$2B,$01,$F7,$04,$FF,$01,$BF,$01,$FF,$01,$F3
	.db $01,$CB,$01,$83,$01,$CC,$01,$FF
	.equ IMG_0_DIM_SIZE $1A
	.equ IMG_0_DIM_PACKETS $0D
	.equ IMG_0_DIM_START $00
img0_dim_data:
	.db $02,$FF,$01,$37,$01,$2B,$01,$F7,$02,$FF,$01,$F3,$01,$13,$02,$1F
	.db $01,$F3,$01,$CB,$01,$83,$01,$CC,$01,$FF
	.equ IMG_0_MASK_SIZE $02
	.equ IMG_0_MASK_PACKETS $01
	.equ IMG_0_MASK_START $00
img0_mask_data:
	.db $10,$00
	.equ IMG_1_FULL_SIZE $02
	.equ IMG_1_FULL_PACKETS $01
	.equ IMG_1_FULL_START $00
img1_full_data:
	.db $10,$FF
	.equ IMG_1_DIM_SIZE $02
	.equ IMG_1_DIM_PACKETS $01
	.equ IMG_1_DIM_START $00
img1_dim_data:
	.db $10,$FF
	.equ IMG_1_MASK_SIZE $02
	.equ IMG_1_MASK_PACKETS $01
	.equ IMG_1_MASK_START $00
img1_mask_data:
	.db $10,$FF
	.equ IMG_2_FULL_SIZE $08
	.equ IMG_2_FULL_PACKETS $04
	.equ IMG_2_FULL_START $00
img2_full_data:
	.db $0D,$FF,$01,$D6,$01,$B2,$01,$93
	.equ IMG_2_DIM_SIZE $08
	.equ IMG_2_DIM_PACKETS $04
	.equ IMG_2_DIM_START $00
img2_dim_data:
	.db $0D,$FF,$01,$D6,$01,$B2,$01,$93
	.equ IMG_2_MASK_SIZE $20
	.equ IMG_2_MASK_PACKETS $10
	.equ IMG_2_MASK_START $00
img2_mask_data:
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.equ IMG_3_FULL_SIZE $20
	.equ IMG_3_FULL_PACKETS $10
	.equ IMG_3_FULL_START $00
img3_full_data:
	.db $01,$DB,$01,$F6,$01,$6F,$01,$DB,$01,$BE,$01,$6D,$01,$FB,$01,$B7
	.db $01,$ED,$01,$DF,$01,$B6,$01,$7D,$01,$DB,$01,$F6,$01,$6F,$01,$DB
	.equ IMG_3_DIM_SIZE $20
	.equ IMG_3_DIM_PACKETS $10
	.equ IMG_3_DIM_START $00
img3_dim_data:
	.db $01,$9A,$01,$64,$01,$6B,$01,$93,$01,$AC,$01,$4D,$01,$B2,$01,$35
	.db $01,$C9,$01,$D6,$01,$26,$01,$59,$01,$9A,$01,$64,$01,$6B,$01,$93
	.equ IMG_3_MASK_SIZE $20
	.equ IMG_3_MASK_PACKETS $10
	.equ IMG_3_MASK_START $00
img3_mask_data:
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.equ IMG_4_FULL_SIZE $10
	.equ IMG_4_FULL_PACKETS $08
	.equ IMG_4_FULL_START $00
img4_full_data:
	.db $02,$CC,$02,$33,$02,$CC,$02,$33,$02,$CC,$02,$33,$02,$CC,$02,$33
	.equ IMG_4_DIM_SIZE $20
	.equ IMG_4_DIM_PACKETS $10
	.equ IMG_4_DIM_START $00
img4_dim_data:
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.equ IMG_4_MASK_SIZE $20
	.equ IMG_4_MASK_PACKETS $10
	.equ IMG_4_MASK_START $00
img4_mask_data:
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.db $01,$88,$01,$44,$01,$22,$01,$11,$01,$88,$01,$44,$01,$22,$01,$11
	.equ IMG_5_FULL_SIZE $06
	.equ IMG_5_FULL_PACKETS $03
	.equ IMG_5_FULL_START $00
img5_full_data:
	.db $01,$00,$0E,$7E,$01,$00
	.equ IMG_5_DIM_SIZE $06
	.equ IMG_5_DIM_PACKETS $03
	.equ IMG_5_DIM_START $00
img5_dim_data:
	.db $01,$00,$0E,$7E,$01,$00
	.equ IMG_5_MASK_SIZE $02
	.equ IMG_5_MASK_PACKETS $01
	.equ IMG_5_MASK_START $00
img5_mask_data:
	.db $10,$00
