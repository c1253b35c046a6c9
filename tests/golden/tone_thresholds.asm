	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $08
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $F6,$B7,$BD,$ED,$6F,$7B,$DB,$DE
