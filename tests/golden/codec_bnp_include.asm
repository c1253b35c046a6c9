	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1E
	.equ IMG_PACKETS $1D
	.equ IMG_START $00
	.equ IMG_FLAG $FE
img_data:
	.include "tablecode_bnp.asm"
	.db $FE,$04,$FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF,$ED,$FF
	.db $CD,$DF,$85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
