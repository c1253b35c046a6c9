	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1B5
	.equ IMG_PACKETS $107
	.equ IMG_START $00
img_data_0:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $FF,$FF,$06,$F7,$FF,$FF,$07,$F7,$FF,$FF,$07,$C0,$7F,$FF,$FF,$06
	.db $C0,$7F,$FF,$FF,$06,$F7,$FF,$FF,$07,$F7,$FF,$FF,$07,$C0,$7F,$FF
	.db $FF,$06,$C0,$7F,$FD,$FF,$FF,$02,$FD,$FF,$FF,$02,$F7,$FF,$FF,$07
	.db $F7,$FF,$FF,$07,$C0,$7F,$FF,$FF,$06,$C0,$7F,$FF,$FF,$06,$F7,$FF
	.db $FF,$07,$F7,$FF,$FF,$07,$C0,$7F,$FF,$FF,$06,$C0,$7F,$FF,$FF,$06
	.db $F7,$FF,$FF,$07,$F7,$FF,$FF,$15,$E0,$00,$00,$02,$7F,$FF,$FF,$04
	.db $E0,$00,$00,$02,$7F,$FF,$F7,$FF,$FF,$02,$E0,$00,$00,$02,$7F,$FF
	.db $FF,$04,$E0,$00,$00,$02,$7F,$FF,$FF,$04,$E0,$00,$00,$02,$7F,$FF
	.db $FF,$04,$E0,$0F,$FF,$FF,$06,$E0,$0F,$FF,$FF,$06,$E0,$0F,$FF,$FF
	.db $06,$E0,$0F,$FF,$FF,$06,$E0,$0F,$FF,$FF,$06,$E0,$0F,$FF,$FF,$06
	.db $E0,$0F,$DF,$FF,$FF,$05,$E0,$0F,$FF,$FF,$06,$E0,$00,$00,$02,$7F
	.db $FF,$FF,$04,$E0,$00,$00,$02,$7F,$FF,$FF,$04,$E0,$00,$00,$02,$7F
	.db $FF,$FF,$04,$E0,$00,$00,$02,$7F,$FF,$FF,$04,$E0,$00,$00,$02,$7F
	.db $FF,$FF,$04,$E1,$FF,$00,$7F,$FF,$FF,$04,$E1,$FF,$00,$7F,$F7,$FF
	.db $FF,$03,$E1,$FF,$00,$7F,$FF,$FF,$04,$E1,$FF,$00,$7F,$FF,$FF,$04
	.db $E1,$FF,$00,$7F,$FF,$FF,$04,$E1,$FF,$00,$7F,$FF
img_data_1:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $FF,$04,$E1,$FF,$00,$7F,$FF,$FF,$04,$E1,$FF,$00,$7F,$FF,$FF,$04
	.db $E1,$FF,$00,$7F,$FF,$FF,$04,$E1,$FF,$00,$7F,$FF,$FF,$04,$E0,$00
	.db $00,$02,$7F,$FF,$FF,$04,$E0,$00,$00,$02,$7F,$FF,$FF,$04,$E0,$00
	.db $00,$02,$7F,$FF,$FF,$04,$E0,$00,$00,$02,$7F,$FF,$FF,$04,$E0,$00
	.db $00,$02,$7F,$FF,$FF,$29,$DF,$FF,$FF,$42,$E3,$FF,$FF,$07,$80,$FF
	.db $FF,$07,$80,$FF,$FF,$07,$00,$7F,$FF,$FF,$03,$C0,$FF,$FF,$02,$00
	.db $7E,$00,$7F,$FF,$00,$3F,$FF,$00,$7E,$00,$7F,$FE,$00,$1F,$FF,$80
	.db $FE,$00,$7F,$FC,$00,$0F,$FF,$80,$FE,$00,$7F,$F8,$00,$07,$FF,$E3
	.db $FF,$FF,$03,$F8,$00,$07,$FF,$FF,$05,$F1,$F8,$03,$FF,$FF,$05,$F3
	.db $FC,$03,$FF,$FF,$07,$03,$FF,$FF,$07,$03,$FF,$FF,$07,$83,$FF,$FF
	.db $07,$C3,$FF,$FF,$07,$C7,$FF,$FF,$07,$C7,$FF,$FF,$07,$CF,$FF,$FF
	.db $07,$DF,$FF,$FF,$28,$FD,$FF,$FF,$2C
