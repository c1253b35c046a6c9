	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.set _SIZE $20
	.set _PACKETS $00
	.set _START $00
_data:
	.db $FF,$FF,$FF,$FF,$FD,$9B,$ED,$95,$FD,$FB,$FD,$FF,$FD,$FF,$FD,$FF
	.db $ED,$FF,$CD,$DF,$85,$FF,$CD,$F9,$ED,$E5,$FF,$C1,$7F,$E6,$FB,$FF
