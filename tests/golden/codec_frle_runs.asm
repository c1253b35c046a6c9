	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $95
	.equ IMG_PACKETS $52
	.equ IMG_START $00
img_data:
	.db $FD,$FD,$03,$FF,$FD,$04,$00,$FE,$FF,$00,$00,$FD,$0B,$FF,$00,$FD
	.db $03,$81,$FD,$0A,$00,$FD,$12,$FF,$FD,$03,$05,$07,$FF,$FF,$09,$09
	.db $FD,$FF,$AA,$AA,$FD,$FF,$00,$FD,$2D,$00,$3C,$01,$FD,$03,$FE,$FD
	.db $09,$FF,$00,$00,$12,$34,$FF,$42,$00,$24,$FF,$FF,$42,$00,$00,$24
	.db $FD,$03,$FF,$42,$FD,$03,$00,$24,$FD,$04,$FF,$42,$FD,$04,$00,$24
	.db $FD,$05,$FF,$42,$FD,$05,$00,$24,$FD,$06,$FF,$42,$FD,$06,$00,$24
	.db $FD,$07,$FF,$42,$FD,$07,$00,$24,$FD,$08,$FF,$42,$FD,$08,$00,$24
	.db $FD,$09,$FF,$42,$FD,$09,$00,$24,$FD,$0A,$FF,$42,$FD,$0A,$00,$24
	.db $FD,$0B,$FF,$42,$FD,$0B,$00,$24,$FD,$FF,$77,$FD,$FF,$66,$66,$66
	.db $FD,$FF,$FF,$55,$55
