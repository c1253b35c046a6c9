	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FRAMES $02
	.equ IMG_0_SIZE $13
	.equ IMG_0_PACKETS $0C
	.equ IMG_0_START $08
img0_data:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FE,$37,$2B,$F7,$FE,$04,$FF,$BF,$FF,$F3,$CB,$83,$CC,$FE,$1E,$FF
	.db $FE,$03,$92
	.equ IMG_1_SIZE $26
	.equ IMG_1_PACKETS $23
	.equ IMG_1_START $06
img1_data:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FE,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D,$DB,$B6,$6D
	.db $DB,$CC,$CC,$33,$33,$CC,$CC,$33,$33,$CC,$CC,$33,$33,$CC,$CC,$33
	.db $33,$00,$FE,$0E,$7E,$00
