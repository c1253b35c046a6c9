	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $3A
	.equ IMG_PACKETS $1D
	.equ IMG_START $00
img_data:
	.include "tablecode_rle.asm"
	.db $04,$FF,$01,$FD,$01,$9B,$01,$ED,$01,$95,$01,$FD,$01,$FB,$01,$FD
	.db $01,$FF,$01,$FD,$01,$FF,$01,$FD,$01,$FF,$01,$ED,$01,$FF,$01,$CD
	.db $01,$DF,$01,$85,$01,$FF,$01,$CD,$01,$F9,$01,$ED,$01,$E5,$01,$FF
	.db $01,$C1,$01,$7F,$01,$E6,$01,$FB,$01,$FF
