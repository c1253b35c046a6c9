	; Created by PelmoImage v1.4 (Mar 2, 2013)

	.equ COL_S Z $02
	.equ COL_PACKETS $01
	.equ COL_ST#ART $00
img:
	.db $01,$6D
