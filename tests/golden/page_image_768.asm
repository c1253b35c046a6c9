	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $300
	.equ IMG_PACKETS $00
	.equ IMG_START $06
img_data_0:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$F7,$FF,$FF,$FD,$FF,$FF,$FD,$FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF,$7F,$C0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$F7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF
	.db $7F,$00,$00,$E0,$FF,$FF,$F7,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF
	.db $7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF
	.db $FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF,$FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF
	.db $FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF,$FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF
	.db $FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF,$FF,$DF
img_data_1:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $0F,$E0,$FF,$FF,$FF,$FF,$FF,$FF,$0F,$E0,$FF,$FF,$FF,$FF,$7F,$00
	.db $00,$E0,$FF,$FF,$FF,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$7F,$00
	.db $00,$E0,$FF,$FF,$FF,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$7F,$00
	.db $00,$E0,$FF,$FF,$FF,$FF,$7F,$00,$FF,$E1,$FF,$FF,$FF,$FF,$7F,$00
	.db $FF,$E1,$FF,$FF,$FF,$FF,$7F,$00,$FF,$E1,$FF,$FF,$FF,$F7,$7F,$00
	.db $FF,$E1,$FF,$FF,$FF,$FF,$7F,$00,$FF,$E1,$FF,$FF,$FF,$FF,$7F,$00
	.db $FF,$E1,$FF,$FF,$FF,$FF,$7F,$00,$FF,$E1,$FF,$FF,$FF,$FF,$7F,$00
	.db $FF,$E1,$FF,$FF,$FF,$FF,$7F,$00,$FF,$E1,$FF,$FF,$FF,$FF,$7F,$00
	.db $FF,$E1,$FF,$FF,$FF,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$7F,$00
	.db $00,$E0,$FF,$FF,$FF,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$7F,$00
	.db $00,$E0,$FF,$FF,$FF,$FF,$7F,$00,$00,$E0,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$DF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
img_data_2:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$E3
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$80,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$80
	.db $FF,$FF,$FF,$FF,$FF,$FF,$7F,$00,$FF,$FF,$FF,$FF,$7F,$00,$7E,$00
	.db $FF,$FF,$C0,$FF,$7F,$00,$7E,$00,$FF,$3F,$00,$FF,$7F,$00,$FE,$80
	.db $FF,$1F,$00,$FE,$7F,$00,$FE,$80,$FF,$0F,$00,$FC,$FF,$FF,$FF,$E3
	.db $FF,$07,$00,$F8,$FF,$FF,$FF,$FF,$FF,$07,$00,$F8,$FF,$FF,$FF,$FF
	.db $FF,$03,$F8,$F1,$FF,$FF,$FF,$FF,$FF,$03,$FC,$F3,$FF,$FF,$FF,$FF
	.db $FF,$03,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$03,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$83,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$C3,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$C7,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$C7,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$CF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$DF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FD,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
img_data_3:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
	.db $FF,$FF
