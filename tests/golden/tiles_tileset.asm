	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: srle

	.equ IMG_TILE_COUNT $07
	.equ IMG_TILE_WIDTH $08
	.equ IMG_TILE_HEIGHT $08
	.equ IMG_MAP_WIDTH $05
	.equ IMG_MAP_HEIGHT $01
	.equ IMG_TILES_SIZE $3C
	.equ IMG_TILES_PACKETS $26
	.equ IMG_TILES_START $00
img_tiles:
	.db $FF,$FF,$08,$EF,$C7,$87,$87,$03,$C7,$E7,$EF,$FF,$EF,$EF,$02,$93
	.db $EF,$EF,$02,$FF,$FF,$02,$0D,$6D,$61,$6D,$0D,$6D,$61,$6D,$EF,$DB
	.db $BF,$DF,$EF,$DF,$BB,$DF,$F7,$E7,$F7,$F7,$02,$E7,$F7,$F7,$02,$E7
	.db $E7,$02,$81,$81,$02,$00,$00,$02,$81,$81,$02,$E7
img_map:
	.db $04,$00,$05,$01,$06
