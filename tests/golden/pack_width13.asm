	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1A
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$EF,$BD,$7B,$EF,$F7,$DE,$BD,$F7,$FF,$FF,$EF,$BD,$7B,$EF
	.db $F7,$DE,$BD,$F7,$FF,$FF,$EF,$BD,$7B,$EF
