	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: bit2xp

	.equ IMG_FIRST $20
	.equ IMG_GLYPHS $03
	.equ IMG_HEIGHT $10
img_widths:
	.db $06,$07,$04
img_offsets:
	.dw $0000,$000A,$0016,$001C
	.equ IMG_SIZE $0F
	.equ IMG_PACKETS $1C
	.equ IMG_START $00
img_glyphs:
	.db $BC,$72,$C0,$2B,$07,$BC,$7E,$FC,$1E,$BF,$59,$F8,$F9,$C9,$0F
