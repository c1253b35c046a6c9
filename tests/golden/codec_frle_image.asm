	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $BB
	.equ IMG_PACKETS $70
	.equ IMG_START $06
img_data:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FB,$FF,$FF,$7F,$7F,$FF,$FF,$7F,$7F,$FF,$FF,$7F,$7F,$FF,$FF,$7F
	.db $7F,$FB,$04,$FF,$FB,$05,$7F,$FB,$08,$FF,$FB,$14,$7F,$FB,$11,$FF
	.db $FB,$04,$7F,$FB,$16,$FF,$F7,$F7,$C0,$C0,$F7,$F7,$C0,$C0,$F7,$F7
	.db $C0,$C0,$F7,$F7,$C0,$C0,$F7,$F7,$FF,$FF,$FB,$05,$00,$FB,$06,$FF
	.db $DF,$FF,$FB,$14,$00,$FB,$11,$FF,$FB,$04,$00,$FB,$2A,$FF,$FB,$05
	.db $00,$FB,$08,$0F,$FB,$05,$00,$FB,$0A,$FF,$FB,$05,$00,$FB,$10,$FF
	.db $7F,$7E,$7E,$FE,$FE,$FB,$2A,$FF,$FB,$12,$E0,$FB,$0A,$E1,$FB,$05
	.db $E0,$FB,$0D,$FF,$E3,$80,$80,$FB,$03,$00,$80,$80,$E3,$FB,$1D,$FF
	.db $FD,$FB,$51,$FF,$FD,$FB,$4C,$FF,$3F,$1F,$0F,$07,$07,$FB,$04,$03
	.db $83,$C3,$C7,$C7,$CF,$DF,$FB,$20,$FF,$F7,$FB,$23,$FF,$DF,$FB,$0B
	.db $FF,$C0,$FB,$05,$00,$F8,$FC,$FB,$1A,$FF,$FD,$FB,$1F,$FF,$F7,$FB
	.db $1F,$FF,$FE,$FC,$F8,$F8,$F1,$F3,$FB,$12,$FF
