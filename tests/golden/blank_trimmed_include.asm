	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $00
	.equ IMG_PACKETS $00
	.equ IMG_START $20
img_data:
	.include "tablecode_rle.asm"
