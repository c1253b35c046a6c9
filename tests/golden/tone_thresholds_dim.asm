	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $08
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $B4,$A5,$2D,$69,$4B,$5A,$D2,$96
