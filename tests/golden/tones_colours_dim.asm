	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $08
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $C2,$81,$18,$24,$24,$18,$81,$C3
