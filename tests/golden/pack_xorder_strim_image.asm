	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ IMG_SIZE $1E
	.equ IMG_PACKETS $00
	.equ IMG_START $08
img_data:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $FD,$ED,$FD,$FD,$FD,$FD,$ED,$CD,$85,$CD,$ED,$FF,$7F,$FB,$FF,$FF
	.db $9B,$95,$FB,$FF,$FF,$FF,$FF,$DF,$FF,$F9,$E5,$C1,$E6,$FF
