	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: bit2xp

	.equ IMG_SIZE $1C
	.equ IMG_PACKETS $20
	.equ IMG_START $00
img_data:
	.db $4F,$3F,$9B,$B4,$53,$49,$3F,$FB,$F4,$A7,$3F,$FD,$69,$4F,$33,$DF
	.db $14,$A6,$99,$7C,$DA,$29,$4F,$30,$7F,$98,$B3,$1F
