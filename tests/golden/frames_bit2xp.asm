	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $06
	.equ IMG_WIDTH $10
	.equ IMG_HEIGHT $08
	.equ IMG_0_SIZE $0B
	.equ IMG_0_PACKETS $10
	.equ IMG_0_START $00
_0_data:
	.db $73,$C3,$0A,$F7,$CF,$6F,$E6,$59,$66,$10,$E6
	.equ IMG_1_SIZE $02
	.equ IMG_1_PACKETS $10
	.equ IMG_1_START $00
_1_data:
	.db $FF,$FF
	.equ IMG_2_SIZE $06
	.equ IMG_2_PACKETS $10
	.equ IMG_2_START $00
_2_data:
	.db $FF,$1F,$49,$24,$91,$04
	.equ IMG_3_SIZE $14
	.equ IMG_3_PACKETS $10
	.equ IMG_3_START $00
_3_data:
	.db $6C,$63,$4B,$1B,$DB,$D8,$D2,$C6,$36,$B6,$B4,$B1,$8D,$2D,$6D,$6C
	.db $63,$4B,$1B,$DB
	.equ IMG_4_SIZE $14
	.equ IMG_4_PACKETS $10
	.equ IMG_4_START $00
_4_data:
	.db $30,$C3,$CC,$0C,$33,$30,$C3,$CC,$0C,$33,$30,$C3,$CC,$0C,$33,$30
	.db $C3,$CC,$0C,$33
	.equ IMG_5_SIZE $12
	.equ IMG_5_PACKETS $10
	.equ IMG_5_START $00
_5_data:
	.db $E2,$87,$1F,$7E,$F8,$E1,$87,$1F,$7E,$F8,$E1,$87,$1F,$7E,$F8,$E1
	.db $87,$9F
