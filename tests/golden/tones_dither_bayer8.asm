	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $30
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data:
	.db $FF,$FF,$FA,$FF,$54,$FF,$83,$FF,$3F,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $F5,$FF,$A0,$FF,$47,$FF,$3F,$FF,$FF,$77,$FF,$FF,$FD,$55,$FA,$FF
	.db $55,$55,$07,$AB,$3F,$55,$FF,$08,$FF,$55,$FF,$00,$D5,$40,$A0,$00
