	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FIRST $20
	.equ IMG_GLYPHS $06
	.equ IMG_HEIGHT $08
img_widths:
	.db $03,$02,$04,$06,$07,$03
img_offsets:
	.dw $0000,$0000,$0001,$0004,$0009,$000F,$000F
	.equ IMG_SIZE $0D
	.equ IMG_PACKETS $0C
	.equ IMG_START $00
	.equ IMG_FLAG $FE
img_glyphs:
	.include "tablecode_bnp.asm"
	.db $0B,$3F,$FF,$3F,$AF,$07,$AF,$07,$AF,$7E,$FE,$04,$7E
