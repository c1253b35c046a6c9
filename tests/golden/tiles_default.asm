	; Created by PelmoImage v1.4 (Mar 2, 2013)
	; codec: raw

	.equ IMG_TILE_COUNT $05
	.equ IMG_TILE_WIDTH $08
	.equ IMG_TILE_HEIGHT $08
	.equ IMG_MAP_WIDTH $06
	.equ IMG_MAP_HEIGHT $02
	.equ IMG_TILES_SIZE $28
	.equ IMG_TILES_PACKETS $00
	.equ IMG_TILES_START $00
img_tiles:
	.db $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$EF,$C7,$87,$87,$87,$C7,$E7,$EF
	.db $FF,$EF,$EF,$93,$EF,$EF,$FF,$FF,$0D,$6D,$61,$6D,$0D,$6D,$61,$6D
	.db $EF,$DB,$BF,$DF,$EF,$DF,$BB,$DF
img_map:
	.db $00,$01,$00,$02,$00,$01,$03,$03,$04,$04,$03,$03
