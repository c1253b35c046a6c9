	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $06
	.equ IMG_0_SIZE $13
	.equ IMG_0_PACKETS $0D
	.equ IMG_0_START $00
img0_data:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $FF,$FF,$02,$37,$2B,$F7,$FF,$FF,$02,$F3,$13,$1F,$1F,$02,$F3,$CB
	.db $83,$CC,$FF
	.equ IMG_1_SIZE $03
	.equ IMG_1_PACKETS $01
	.equ IMG_1_START $00
img1_data:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $FF,$FF,$10
	.equ IMG_2_SIZE $06
	.equ IMG_2_PACKETS $02
	.equ IMG_2_START $00
img2_data:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $FF,$FF,$0D,$92,$92,$03
	.equ IMG_3_SIZE $10
	.equ IMG_3_PACKETS $10
	.equ IMG_3_START $00
img3_data:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $92,$24,$49,$92,$24,$49,$92,$24,$49,$92,$24,$49,$92,$24,$49,$92
	.equ IMG_4_SIZE $03
	.equ IMG_4_PACKETS $01
	.equ IMG_4_START $00
img4_data:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $00,$00,$10
	.equ IMG_5_SIZE $05
	.equ IMG_5_PACKETS $03
	.equ IMG_5_START $00
img5_data:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $00,$7E,$7E,$0E,$00
