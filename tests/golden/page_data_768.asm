	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $300
	.equ IMG_PACKETS $00
	.equ IMG_START $00
img_data_0:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $00,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$00,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$00,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$00,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$00,$C0,$FF,$FF,$FD,$FF,$FF,$FD
	.db $00,$F7,$FF,$FF,$F8,$FF,$FF,$F8,$00,$F7,$FF,$FF,$FD,$FF,$FF,$FD
	.db $00,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$00,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$00,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$00,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$F7,$FF,$DF,$FF,$FF,$FF,$FF,$00,$F7,$FF,$9F,$FF,$FF,$FF,$FF
	.db $00,$FF,$FF,$9F,$FF,$FF,$FF,$FF,$00,$FF,$FF,$1F,$FF,$FF,$FF,$FF
	.db $00,$00,$00,$00,$FE,$FF,$FF,$FF,$00,$00,$00,$00,$FC,$FF,$F7,$FF
	.db $00,$00,$00,$00,$F8,$FF,$E3,$FF,$00,$00,$00,$00,$F8,$FF,$F7,$FF
	.db $00,$00,$00,$00,$F0,$FF,$FF,$FF,$80,$FF,$0F,$00,$E0,$FF,$FF,$FF
	.db $80,$FF,$0F,$00,$C0,$FF,$FF,$FF,$80,$FF,$0F,$00,$80,$FF,$FF,$FF
	.db $80,$FF,$0F,$00,$80,$FF,$FF,$FF,$80,$FF,$0F,$00,$00,$FF,$FF,$FF
	.db $80,$FF,$0F,$00,$00,$FE,$FF,$FF,$80,$DF,$0F,$00
img_data_1:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $00,$FC,$FF,$FF,$80,$FF,$0F,$00,$00,$F8,$FF,$FF,$00,$00,$00,$00
	.db $00,$F8,$FF,$FF,$00,$00,$00,$00,$00,$F0,$FF,$FF,$00,$00,$00,$00
	.db $00,$E0,$FF,$FF,$00,$00,$00,$00,$00,$C0,$FF,$FF,$00,$00,$00,$00
	.db $00,$E0,$FF,$FF,$00,$00,$10,$00,$00,$F0,$FF,$FF,$00,$00,$10,$00
	.db $00,$F8,$FF,$F7,$00,$00,$10,$00,$00,$F8,$FF,$E3,$00,$00,$10,$00
	.db $00,$FC,$FF,$F7,$00,$00,$FF,$01,$00,$FE,$FF,$FF,$00,$00,$10,$00
	.db $00,$FF,$FF,$FF,$00,$00,$10,$00,$00,$F0,$FF,$FF,$00,$00,$10,$00
	.db $00,$F0,$FF,$FF,$00,$00,$10,$00,$00,$F0,$FF,$FF,$00,$00,$10,$00
	.db $00,$F0,$FF,$FF,$00,$00,$00,$00,$00,$F0,$FF,$FF,$00,$00,$00,$00
	.db $F8,$FF,$FF,$FF,$00,$00,$00,$00,$F8,$FF,$FF,$FF,$00,$00,$00,$00
	.db $FC,$FF,$FF,$FF,$00,$00,$00,$00,$FE,$FF,$FF,$FF,$00,$FF,$FF,$1F
	.db $FF,$FF,$FF,$FF,$00,$FF,$FF,$9F,$FF,$FF,$FF,$FF,$00,$FF,$FF,$9F
	.db $FF,$FF,$FF,$FF,$00,$FF,$FF,$DF,$FF,$FF,$FF,$FF,$00,$FF,$FF,$FF
	.db $FF,$FF,$DF,$FF,$00,$FF,$FF,$FF,$FF,$FF,$8F,$FF,$00,$FF,$FF,$FF
	.db $FF,$FF,$DF,$FF,$00,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$00,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$00,$FF,$FF,$E0,$FF,$FF,$FF,$FF
img_data_2:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $00,$FF,$3F,$80,$FF,$FF,$FF,$FF,$00,$FF,$0F,$00,$FE,$FF,$FF,$FF
	.db $00,$FF,$07,$00,$FC,$FF,$FF,$FF,$00,$FF,$07,$00,$FC,$FF,$FF,$FF
	.db $00,$FF,$03,$00,$F8,$FF,$FF,$FF,$00,$FF,$03,$00,$F8,$FF,$FF,$FF
	.db $00,$FF,$01,$00,$F0,$FF,$FF,$FF,$00,$00,$00,$00,$F0,$FF,$C0,$FF
	.db $00,$00,$00,$00,$F0,$3F,$00,$FF,$00,$00,$00,$00,$F0,$1F,$00,$FE
	.db $00,$00,$00,$00,$F0,$0F,$00,$FC,$00,$FF,$01,$00,$F0,$07,$00,$F8
	.db $00,$FF,$03,$00,$F8,$07,$00,$F8,$00,$FF,$03,$00,$F8,$03,$F8,$F1
	.db $00,$FF,$07,$00,$FC,$03,$FC,$F3,$00,$FF,$07,$00,$FC,$03,$FF,$FF
	.db $00,$FF,$0F,$00,$FE,$03,$FF,$FF,$00,$FF,$3F,$80,$FF,$83,$FF,$FF
	.db $00,$FF,$FF,$E0,$FF,$C3,$FF,$FF,$00,$FF,$FF,$FF,$FF,$C7,$FF,$FF
	.db $00,$FF,$FF,$FF,$FF,$C7,$FF,$FF,$00,$FF,$FF,$FF,$FF,$CF,$FF,$FF
	.db $00,$FF,$FF,$FF,$FF,$DF,$FF,$FF,$00,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$00,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$FF,$FF,$FF,$FD,$FF,$FF,$FF,$00,$FF,$FF,$FF,$F8,$FF,$FF,$FF
	.db $00,$FF,$FF,$FF,$FD,$FF,$FF,$FF,$00,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $00,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$00,$FF,$FF,$FF
img_data_3:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $FF,$FF,$FF,$FF,$00,$FF,$FF,$FF,$FF,$FF,$FF,$FF
