	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $08
	.equ IMG_WIDTH $18
	.equ IMG_HEIGHT $08
	.equ IMG_0_SIZE $14
	.equ IMG_0_PACKETS $0A
	.equ IMG_0_START $00
img0_data:
	.db $02,$FF,$01,$3F,$01,$2F,$05,$FF,$01,$BF,$02,$FF,$01,$CF,$01,$8F
	.db $01,$CF,$09,$FF
	.equ IMG_1_SIZE $04
	.equ IMG_1_PACKETS $02
	.equ IMG_1_START $00
img1_data:
	.db $15,$FF,$03,$9F
	.equ IMG_2_SIZE $14
	.equ IMG_2_PACKETS $0A
	.equ IMG_2_START $00
img2_data:
	.db $02,$FF,$01,$7F,$01,$BF,$01,$7F,$06,$FF,$01,$3F,$01,$BF,$01,$3F
	.db $01,$CF,$09,$FF
	.equ IMG_3_SIZE $04
	.equ IMG_3_PACKETS $02
	.equ IMG_3_START $00
img3_data:
	.db $15,$FF,$03,$2F
	.equ IMG_4_SIZE $28
	.equ IMG_4_PACKETS $14
	.equ IMG_4_START $00
img4_data:
	.db $01,$DF,$01,$BF,$01,$6F,$01,$DF,$01,$BF,$01,$6F,$01,$DF,$01,$BF
	.db $01,$6F,$01,$DF,$01,$BF,$01,$6F,$01,$DF,$01,$BF,$01,$6F,$01,$DF
	.db $02,$CF,$02,$3F,$02,$CF,$02,$3F
	.equ IMG_5_SIZE $0E
	.equ IMG_5_PACKETS $07
	.equ IMG_5_START $00
img5_data:
	.db $02,$CF,$02,$3F,$02,$CF,$02,$3F,$01,$0F,$0E,$7F,$01,$0F
	.equ IMG_6_SIZE $28
	.equ IMG_6_PACKETS $14
	.equ IMG_6_START $00
img6_data:
	.db $01,$BF,$01,$6F,$01,$DF,$01,$BF,$01,$6F,$01,$DF,$01,$BF,$01,$6F
	.db $01,$DF,$01,$BF,$01,$6F,$01,$DF,$01,$BF,$01,$6F,$01,$DF,$01,$BF
	.db $02,$CF,$02,$3F,$02,$CF,$02,$3F
	.equ IMG_7_SIZE $0E
	.equ IMG_7_PACKETS $07
	.equ IMG_7_START $00
img7_data:
	.db $02,$CF,$02,$3F,$02,$CF,$02,$3F,$01,$0F,$0E,$EF,$01,$0F
