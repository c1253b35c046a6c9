	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: bnp
	; planes: full,mask

	.equ IMG_FRAMES $06
	.equ IMG_0_FULL_SIZE $02
	.equ IMG_0_FULL_PACKETS $01
	.equ IMG_0_FULL_START $00
	.equ IMG_0_FULL_FLAG $FE
img0_full_data:
	.db $FE,$0C
	.equ IMG_0_MASK_SIZE $02
	.equ IMG_0_MASK_PACKETS $01
	.equ IMG_0_MASK_START $00
	.equ IMG_0_MASK_FLAG $FE
img0_mask_data:
	.db $FE,$0D
	.equ IMG_1_FULL_SIZE $04
	.equ IMG_1_FULL_PACKETS $03
	.equ IMG_1_FULL_START $00
	.equ IMG_1_FULL_FLAG $FE
img1_full_data:
	.db $FE,$08,$AB,$FF
	.equ IMG_1_MASK_SIZE $02
	.equ IMG_1_MASK_PACKETS $01
	.equ IMG_1_MASK_START $00
	.equ IMG_1_MASK_FLAG $FE
img1_mask_data:
	.db $FE,$0D
	.equ IMG_2_FULL_SIZE $08
	.equ IMG_2_FULL_PACKETS $07
	.equ IMG_2_FULL_START $00
	.equ IMG_2_FULL_FLAG $FE
img2_full_data:
	.db $EA,$15,$EA,$11,$44,$11,$FE,$01
	.equ IMG_2_MASK_SIZE $02
	.equ IMG_2_MASK_PACKETS $01
	.equ IMG_2_MASK_START $00
	.equ IMG_2_MASK_FLAG $FE
img2_mask_data:
	.db $FE,$0D
	.equ IMG_3_FULL_SIZE $07
	.equ IMG_3_FULL_PACKETS $06
	.equ IMG_3_FULL_START $00
	.equ IMG_3_FULL_FLAG $FE
img3_full_data:
	.db $FF,$FA,$D4,$43,$3F,$FE,$02
	.equ IMG_3_MASK_SIZE $08
	.equ IMG_3_MASK_PACKETS $08
	.equ IMG_3_MASK_START $00
	.equ IMG_3_MASK_FLAG $FE
img3_mask_data:
	.db $02,$20,$04,$40,$08,$81,$10,$02
	.equ IMG_4_FULL_SIZE $07
	.equ IMG_4_FULL_PACKETS $06
	.equ IMG_4_FULL_START $00
	.equ IMG_4_FULL_FLAG $FE
img4_full_data:
	.db $FA,$D4,$47,$3F,$FE,$02,$FA
	.equ IMG_4_MASK_SIZE $08
	.equ IMG_4_MASK_PACKETS $08
	.equ IMG_4_MASK_START $00
	.equ IMG_4_MASK_FLAG $FE
img4_mask_data:
	.db $20,$04,$40,$08,$81,$10,$02,$20
	.equ IMG_5_FULL_SIZE $07
	.equ IMG_5_FULL_PACKETS $06
	.equ IMG_5_FULL_START $00
	.equ IMG_5_FULL_FLAG $FE
img5_full_data:
	.db $D4,$47,$3F,$FE,$02,$FA,$A4
	.equ IMG_5_MASK_SIZE $08
	.equ IMG_5_MASK_PACKETS $08
	.equ IMG_5_MASK_START $00
	.equ IMG_5_MASK_FLAG $FE
img5_mask_data:
	.db $04,$40,$08,$81,$10,$02,$20,$04
img_frames:
	.dw img0_full_data, IMG_0_FULL_SIZE, img0_mask_data, IMG_0_MASK_SIZE
	.dw img1_full_data, IMG_1_FULL_SIZE, img1_mask_data, IMG_1_MASK_SIZE
	.dw img2_full_data, IMG_2_FULL_SIZE, img2_mask_data, IMG_2_MASK_SIZE
	.dw img3_full_data, IMG_3_FULL_SIZE, img3_mask_data, IMG_3_MASK_SIZE
	.dw img4_full_data, IMG_4_FULL_SIZE, img4_mask_data, IMG_4_MASK_SIZE
	.dw img5_full_data, IMG_5_FULL_SIZE, img5_mask_data, IMG_5_MASK_SIZE
