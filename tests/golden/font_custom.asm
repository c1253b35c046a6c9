	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.set FNT_FIRST $41
	.set FNT_GLYPHS $06
	.set FNT_HEIGHT $08
fnt_widths:
	.db $04,$03,$05,$07,$08,$04
fnt_offsets:
	.dw $0000,$0000,$0001,$0004,$0009,$000F,$0011
	.set FNT_SIZE $11
	.set FNT_PACKETS $00
	.set FNT_START $00
fnt_glyphs:
	.db $0B,$3F,$FF,$3F,$AF,$07,$A7,$07,$AF,$7E,$FF,$FF,$FF,$FF,$7E,$C3
	.db $C3
