	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ B_SIZE $01
	.equ B_PACKETS $01
	.equ B_START $00
	.equ B_FLAG $FE
img_data:
	.db $6D
