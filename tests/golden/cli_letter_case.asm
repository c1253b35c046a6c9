	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ Ab_SIZE $1F
	.equ Ab_PACKETS $20
	.equ Ab_START $06
img_data:
	movp	a, @a
	ret
	.db 0,0,0,0
	.db $4F,$20,$9B,$A4,$52,$49,$2E,$FB,$04,$A6,$3F,$FD,$E4,$D3,$4E,$22
	.db $CD,$3C,$52,$C8,$23,$CD,$E4,$D3,$4E,$79,$82,$F9,$C3,$9C,$FD
