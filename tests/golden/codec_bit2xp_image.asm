	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $FD
	.equ IMG_PACKETS $2D5
	.equ IMG_START $06
img_data_0:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $B9,$FF,$73,$FF,$F3,$07,$F0,$CF,$1F,$C0,$7F,$EE,$FF,$DC,$FF,$FC
	.db $01,$FC,$F3,$07,$F0,$9F,$FB,$E9,$9F,$FE,$DC,$FF,$FC,$01,$FC,$F3
	.db $07,$F0,$9F,$FB,$3F,$F7,$3F,$7F,$00,$FF,$FC,$01,$FC,$E7,$FE,$CF
	.db $FD,$FF,$FF,$CF,$9F,$02,$FE,$FC,$29,$E0,$CF,$9F,$02,$3E,$F7,$F9
	.db $53,$C0,$9F,$3F,$05,$FC,$E7,$01,$F0,$9F,$07,$C0,$7F,$1E,$00,$FF
	.db $79,$00,$FC,$E7,$01,$F0,$9F,$07,$C0,$3F,$DF,$3C,$00,$FE,$F3,$00
	.db $F8,$F3,$A7,$80,$3F,$7F,$0A,$F8,$F3,$A7,$80,$3F,$7F,$0A,$F8,$F3
	.db $A7,$80,$3F,$7F,$26,$FC,$F9,$33,$E1,$CF,$9F,$09,$3F,$F7,$FC,$99
	.db $F0,$E7,$CF,$84,$3F,$7F,$26,$FC,$F9,$33,$E1,$CF,$9F,$09,$7F,$FE
	.db $4C,$F8,$F3,$67,$C2,$9F,$3F,$05,$FC,$F9,$53,$C0,$9F,$3F,$05,$FC
	.db $F9,$53,$C0,$9F,$3F,$05,$FC,$FF,$FF,$FF,$FF,$FF,$7F,$BE,$FF,$FF
	.db $FF,$FF,$FF,$FF,$FF,$9F,$F1,$3F,$80,$7F,$00,$7F,$FE,$7C,$FE,$C4
	.db $CF,$01,$CE,$9F,$F8,$99,$1F,$F3,$27,$FE,$00,$E6,$43,$FC,$F9,$13
	.db $7F,$00,$F3,$20,$FC,$67,$3C,$07,$82,$FF,$39,$10,$FC,$CF,$00,$F8
	.db $C4,$7F,$06,$E0,$67,$FE,$33,$F0,$67,$E0,$CF,$E0,$9F,$E1,$3F,$C7
	.db $7F,$8E,$FF,$3C,$FF,$F9,$FE,$FF,$FF,$FF
img_data_1:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FF,$E9,$07
