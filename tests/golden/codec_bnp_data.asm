	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1EF
	.equ IMG_PACKETS $1A8
	.equ IMG_START $00
	.equ IMG_FLAG $FB
img_data_0:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $00,$F7,$FB,$88,$00,$F7,$FB,$00,$C0,$FB,$88,$00,$C0,$FB,$00,$F7
	.db $FB,$88,$00,$F7,$FB,$00,$C0,$FB,$08,$00,$C0,$FB,$FD,$FB,$00,$FD
	.db $00,$F7,$FB,$F8,$FB,$00,$F8,$00,$F7,$FB,$FD,$FB,$80,$FD,$00,$C0
	.db $FB,$00,$C0,$FB,$88,$00,$F7,$FB,$00,$F7,$FB,$88,$00,$C0,$FB,$00
	.db $C0,$FB,$48,$00,$F7,$FF,$DF,$FB,$00,$F7,$FF,$9F,$FB,$04,$00,$FB
	.db $9F,$FB,$04,$00,$FB,$1F,$FB,$54,$FB,$FE,$FB,$52,$FB,$FC,$FF,$F7
	.db $FF,$FB,$55,$F8,$FF,$E3,$FF,$FB,$F8,$FF,$F7,$FF,$FB,$25,$F0,$FB
	.db $80,$FF,$0F,$00,$E0,$FB,$22,$80,$FF,$0F,$00,$C0,$FB,$80,$FF,$0F
	.db $00,$80,$FB,$22,$80,$FF,$0F,$00,$80,$FB,$80,$FF,$0F,$FB,$21,$FB
	.db $80,$FF,$0F,$FB,$01,$FE,$FB,$80,$DF,$0F,$FB,$01,$FC,$FB,$80,$FF
	.db $0F,$FB,$01,$F8,$FB,$FB,$07,$F8,$FB,$FB,$07,$F0,$FB,$FB,$07,$E0
	.db $FB,$FB,$07,$C0,$FB,$FB,$07,$E0,$FB,$FB,$11,$10,$FB,$F0,$FB,$10
	.db $FB,$10,$FB,$11,$F8,$FF,$F7,$FB,$10,$FB,$11,$F8,$FF,$E3,$FB,$10
	.db $FB,$11,$FC,$FF,$F7,$FB,$FF,$01,$00,$FE,$FB,$10,$FB,$10,$FB,$21
	.db $FB,$FB,$11,$10,$FB,$F0,$FB,$10,$FB,$10,$FB,$01,$F0,$FB,$FB,$11
	.db $10,$FB,$F0,$FB,$10,$FB,$10,$FB,$01,$F0,$FB,$FB
img_data_1:
	add	a, ($+4) & 255
	movp	a, @a
	ret
	.db $07,$F0,$FB,$FB,$25,$F8,$FB,$FB,$25,$F8,$FB,$FB,$25,$FC,$FB,$FB
	.db $25,$FE,$FB,$00,$FB,$40,$1F,$FB,$00,$FB,$40,$9F,$FB,$00,$FB,$40
	.db $9F,$FB,$00,$FB,$40,$DF,$FB,$00,$FB,$66,$DF,$FF,$00,$FB,$8F,$FF
	.db $00,$FB,$A6,$DF,$FF,$00,$FB,$00,$FB,$0A,$00,$FB,$E0,$FB,$44,$00
	.db $FF,$3F,$80,$FB,$00,$FF,$0F,$00,$FE,$FB,$22,$00,$FF,$07,$00,$FC
	.db $FB,$00,$FF,$07,$00,$FC,$FB,$22,$00,$FF,$03,$00,$F8,$FB,$00,$FF
	.db $03,$00,$F8,$FB,$22,$00,$FF,$01,$00,$F0,$FB,$FB,$55,$F0,$FF,$C0
	.db $FF,$FB,$F0,$3F,$00,$FF,$FB,$55,$F0,$1F,$00,$FE,$FB,$F0,$0F,$00
	.db $FC,$00,$FF,$01,$00,$F0,$07,$00,$F8,$00,$FF,$03,$00,$F8,$07,$00
	.db $F8,$00,$FF,$03,$00,$F8,$03,$F8,$F1,$00,$FF,$07,$00,$FC,$03,$FC
	.db $F3,$00,$FF,$07,$00,$FC,$03,$FB,$00,$00,$FF,$0F,$00,$FE,$03,$FB
	.db $00,$FF,$3F,$80,$FF,$83,$FB,$00,$00,$FB,$E0,$FF,$C3,$FB,$40,$00
	.db $FB,$C7,$FB,$40,$00,$FB,$C7,$FB,$40,$00,$FB,$CF,$FB,$40,$00,$FB
	.db $DF,$FB,$A0,$00,$FB,$00,$FB,$AA,$00,$FB,$00,$FB,$22,$FD,$FB,$00
	.db $FB,$22,$F8,$FB,$00,$FB,$22,$FD,$FB,$00,$FB,$AA,$00,$FB,$00,$FB
	.db $AA,$00,$FB
