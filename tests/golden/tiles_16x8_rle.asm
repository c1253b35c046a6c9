	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: rle

	.equ IMG_TILE_COUNT $04
	.equ IMG_TILE_WIDTH $10
	.equ IMG_TILE_HEIGHT $08
	.equ IMG_MAP_WIDTH $03
	.equ IMG_MAP_HEIGHT $02
	.equ IMG_WIDTH $30
	.equ IMG_HEIGHT $10
	.equ IMG_TILES_SIZE $58
	.equ IMG_TILES_PACKETS $2C
	.equ IMG_TILES_START $00
img_tiles:
	.include "tablecode_rle.asm"
	.db $08,$FF,$01,$EF,$01,$C7,$03,$87,$01,$C7,$01,$E7,$01,$EF,$09,$FF
	.db $02,$EF,$01,$93,$02,$EF,$02,$FF,$01,$0D,$01,$6D,$01,$61,$01,$6D
	.db $01,$0D,$01,$6D,$01,$61,$01,$6D,$01,$0D,$01,$6D,$01,$61,$01,$6D
	.db $01,$0D,$01,$6D,$01,$61,$01,$6D,$01,$EF,$01,$DB,$01,$BF,$01,$DF
	.db $01,$EF,$01,$DF,$01,$BB,$01,$DF,$01,$EF,$01,$DB,$01,$BF,$01,$DF
	.db $01,$EF,$01,$DF,$01,$BB,$01,$DF
img_map:
	.db $00,$01,$00,$02,$03,$02
