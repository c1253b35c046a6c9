	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_FIRST $20
	.equ IMG_GLYPHS $06
	.equ IMG_HEIGHT $08
img_widths:
	.db $03,$02,$04,$06,$07,$03
img_offsets:
	.dw $0000,$0000,$0001,$0004,$0009,$000F,$000F
	.equ IMG_SIZE $0F
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_glyphs:
	.db $0B,$3F,$FF,$3F,$AF,$07,$AF,$07,$AF,$7E,$FF,$FF,$FF,$FF,$7E
