	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ SPR_LEN $1E
	.equ SPR_N $1D
	.equ SPR_S0 $00
	.equ SPR_MARK $FE
spr_bits:
	.db $FE,$04,$FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF,$ED,$FF
	.db $CD,$DF,$85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
