	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; planes: dim,full

	.equ IMG_DIM_SIZE $1EF
	.equ IMG_DIM_PACKETS $1A8
	.equ IMG_DIM_START $00
	.equ IMG_DIM_FLAG $FB
	.equ IMG_WIDTH $60
	.equ IMG_HEIGHT $40
img_dim_data:
	.include "tablecode_bnp.asm"
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
	.db $10,$FB,$F0,$FB,$10,$FB,$10,$FB,$01,$F0,$FB,$FB,$07,$F0,$FB,$FB
	.db $25,$F8,$FB,$FB,$25,$F8,$FB,$FB,$25,$FC,$FB,$FB,$25,$FE,$FB,$00
	.db $FB,$40,$1F,$FB,$00,$FB,$40,$9F,$FB,$00,$FB,$40,$9F,$FB,$00,$FB
	.db $40,$DF,$FB,$00,$FB,$66,$DF,$FF,$00,$FB,$8F,$FF,$00,$FB,$A6,$DF
	.db $FF,$00,$FB,$00,$FB,$0A,$00,$FB,$E0,$FB,$44,$00,$FF,$3F,$80,$FB
	.db $00,$FF,$0F,$00,$FE,$FB,$22,$00,$FF,$07,$00,$FC,$FB,$00,$FF,$07
	.db $00,$FC,$FB,$22,$00,$FF,$03,$00,$F8,$FB,$00,$FF,$03,$00,$F8,$FB
	.db $22,$00,$FF,$01,$00,$F0,$FB,$FB,$55,$F0,$FF,$C0,$FF,$FB,$F0,$3F
	.db $00,$FF,$FB,$55,$F0,$1F,$00,$FE,$FB,$F0,$0F,$00,$FC,$00,$FF,$01
	.db $00,$F0,$07,$00,$F8,$00,$FF,$03,$00,$F8,$07,$00,$F8,$00,$FF,$03
	.db $00,$F8,$03,$F8,$F1,$00,$FF,$07,$00,$FC,$03,$FC,$F3,$00,$FF,$07
	.db $00,$FC,$03,$FB,$00,$00,$FF,$0F,$00,$FE,$03,$FB,$00,$FF,$3F,$80
	.db $FF,$83,$FB,$00,$00,$FB,$E0,$FF,$C3,$FB,$40,$00,$FB,$C7,$FB,$40
	.db $00,$FB,$C7,$FB,$40,$00,$FB,$CF,$FB,$40,$00,$FB,$DF,$FB,$A0,$00
	.db $FB,$00,$FB,$AA,$00,$FB,$00,$FB,$22,$FD,$FB,$00,$FB,$22,$F8,$FB
	.db $00,$FB,$22,$FD,$FB,$00,$FB,$AA,$00,$FB,$00,$FB,$AA,$00,$FB
	.equ IMG_FULL_SIZE $155
	.equ IMG_FULL_PACKETS $11F
	.equ IMG_FULL_START $00
	.equ IMG_FULL_FLAG $FB
img_full_data:
	.db $FF,$F7,$FB,$8A,$F7,$FB,$7F,$C0,$FB,$A8,$7F,$C0,$FB,$F7,$FB,$8A
	.db $F7,$FB,$7F,$C0,$FB,$A8,$7F,$C0,$FB,$F7,$FB,$00,$FD,$FB,$FD,$FF
	.db $F7,$FB,$88,$7F,$C0,$FB,$7F,$C0,$FB,$AA,$F7,$FB,$F7,$FB,$88,$7F
	.db $C0,$FB,$7F,$C0,$FB,$AA,$F7,$FB,$F7,$FB,$EE,$FB,$FB,$14,$7F,$FB
	.db $E0,$FB,$14,$7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$10,$F7,$FF,$7F
	.db $FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$88,$0F,$E0,$FB,$0F,$E0,$FB,$88
	.db $0F,$E0,$FB,$0F,$E0,$FB,$88,$0F,$E0,$FB,$0F,$E0,$FB,$86,$DF,$0F
	.db $E0,$FB,$0F,$E0,$FB,$14,$7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$14
	.db $7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$44,$7F
	.db $00,$FF,$E1,$FB,$7F,$00,$FF,$E1,$FB,$24,$7F,$00,$FF,$E1,$FB,$F7
	.db $7F,$00,$FF,$E1,$FB,$44,$7F,$00,$FF,$E1,$FB,$7F,$00,$FF,$E1,$FB
	.db $44,$7F,$00,$FF,$E1,$FB,$7F,$00,$FF,$E1,$FB,$44,$7F,$00,$FF,$E1
	.db $FB,$7F,$00,$FF,$E1,$FB,$14,$7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB
	.db $14,$7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$14,$7F,$FB,$E0,$FB,$EE
	.db $FB,$FB,$EE,$FB,$FB,$6E,$FB,$DF,$FB,$EE,$FB,$FB,$EE,$FB,$FB,$EE
	.db $FB,$FB,$A8,$E3,$FB,$80,$FB,$8A,$80,$FB,$7F,$00,$FB,$04,$7F,$00
	.db $7E,$00,$FB,$C0,$FF,$7F,$00,$7E,$00,$FF,$3F,$00,$FF,$7F,$00,$FE
	.db $80,$FF,$1F,$00,$FE,$7F,$00,$FE,$80,$FF,$0F,$00,$FC,$FB,$62,$E3
	.db $FF,$07,$00,$F8,$FB,$07,$00,$F8,$FB,$66,$03,$F8,$F1,$FB,$03,$FC
	.db $F3,$FB,$A6,$03,$FB,$03,$FB,$AA,$83,$FB,$C3,$FB,$AA,$C7,$FB,$C7
	.db $FB,$AA,$CF,$FB,$DF,$FB,$EE,$FB,$FB,$EE,$FB,$FB,$E0,$FD,$FB,$FB
	.db $EE,$FB,$FB,$AE,$FB
