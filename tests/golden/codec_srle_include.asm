	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1F
	.equ IMG_PACKETS $1D
	.equ IMG_START $00
img_data:
	.include "tablecode_srle.asm"
	.db $FF,$FF,$04,$FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF,$ED
	.db $FF,$CD,$DF,$85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
