#!/usr/bin/env bash
# Regenerates the Q9Plemo artwork (toolbar/button icons and the two banner
# bitmaps) under res/icons and res/bitmaps.  Needs only ImageMagick's
# `convert` and the Debian fonts-wqy-zenhei package.  Output is deterministic:
# time stamps are not written into the PNG files.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons bitmaps

FONT=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
[ -r "$FONT" ] || { echo "missing font $FONT (apt install fonts-wqy-zenhei)" >&2; exit 1; }
PNGOUT=(-strip -define png:exclude-chunks=date,time)

# ---------------------------------------------------------------- icons ---
# Icons are drawn 8x oversized and box-filtered down, which gives clean
# anti-aliasing.  Coordinates are in final pixels; pixel n spans [n, n+1].
S=8
icon() { # icon ID W H MVG [extra convert options applied at 8x]
  local id=$1 w=$2 h=$3 mvg=$4; shift 4
  convert -size $((w * S))x$((h * S)) xc:none +antialias \
    -draw "affine $S,0,0,$S,-0.5,-0.5 $mvg" "$@" \
    -filter box -resize "${w}x${h}!" "${PNGOUT[@]}" "PNG32:icons/icon_$id.png"
}
# grad NAME X1 Y1 X2 Y2 COLOR1 COLOR2 MVG -> MVG drawn with a linear gradient
# fill.  The gradient fill is confined to its own graphic context, because
# ImageMagick keeps a pattern fill active even after a later plain `fill`.
grad() {
  printf "push defs push gradient '%s' linear %s,%s %s,%s " "$1" "$2" "$3" "$4" "$5"
  printf "stop-color '%s' 0 stop-color '%s' 1 pop gradient pop defs " "$6" "$7"
  printf "push graphic-context fill 'url(#%s)' %s pop graphic-context\n" "$1" "$8"
}

# 128: application icon - a handset showing a play button, film strip behind.
# Drawn on a 32-pixel grid; the desktop's icon sizes scale the same drawing.
APP_ICON="
  push graphic-context translate 16,20 rotate -24
    fill '#f08a1c' stroke '#8f4706' stroke-width 1 rectangle -18,-4.5 18,4.5
    fill '#fff1dc' stroke none
    rectangle -16,-3 -14,-1.5 rectangle -12,-3 -10,-1.5 rectangle 10,-3 12,-1.5 rectangle 14,-3 16,-1.5
    rectangle -16,1.5 -14,3   rectangle -12,1.5 -10,3   rectangle 10,1.5 12,3   rectangle 14,1.5 16,3
  pop graphic-context
  $(grad body 0 2 0 30 '#5aa6f5' '#0d4aa6' "stroke '#0a3576' stroke-width 1
      roundrectangle 8.5,1.5 23.5,30.5 3.5,3.5")
  $(grad scr 0 6 0 24 '#1b2d4f' '#3a7cc4' "stroke '#0a3576' stroke-width 1
      rectangle 10.5,5.5 21.5,24.5")
  $(grad play 0 10 0 20 '#ffc76e' '#f07a12' "stroke '#a84d00' stroke-width 1
      stroke-linejoin round polygon 13.5,10.5 19.5,15 13.5,19.5")
  fill '#0a3576' stroke none roundrectangle 13,3 19,4 0.5,0.5
  fill '#cfe3ff' circle 16,27.5 16,26.3
  fill '#ffffff38' polygon 11,6 21,6 21,9 11,14"
icon 128 32 32 "$APP_ICON"

# The application icon for the desktop's icon theme (hicolor), at the sizes
# menus, docks and file managers ask for: the 32-pixel drawing scaled up or
# down before the box filter, so every size is drawn, not resampled.
mkdir -p hicolor
for size in 16 32 48 64 128 256; do
  k=$(awk "BEGIN { print $S * $size / 32 }")
  convert -size $((size * S))x$((size * S)) xc:none +antialias \
    -draw "affine $k,0,0,$k,-0.5,-0.5 $APP_ICON" \
    -filter box -resize "${size}x${size}!" "${PNGOUT[@]}" "PNG32:hicolor/q9plemo_$size.png"
done

# 131: resume - green play triangle.
icon 131 13 13 "$(grad g 0 1 0 12 '#8fe39a' '#1f9436' "
  stroke '#126b25' stroke-width 1 stroke-linejoin round
  polygon 2.5,1.5 11.5,6.5 2.5,11.5")"

# 132: pause - two rounded blue bars.
icon 132 16 16 "$(grad b 0 2 0 14 '#84bdf8' '#1a5fc0' "
  stroke '#0c3f8a' stroke-width 1
  roundrectangle 2.5,2.5 6.5,13.5 1,1  roundrectangle 9.5,2.5 13.5,13.5 1,1")"

# 144: open yellow folder with a sheet of paper inside.
icon 144 15 16 "
  $(grad back 0 3 0 14 '#f2bf45' '#c98d12' "stroke '#8a5e08' stroke-width 1
      stroke-linejoin round polygon 0.5,13.5 0.5,2.5 5.5,2.5 6.5,3.5 12.5,3.5 12.5,13.5")
  fill '#ffffff' stroke '#9aa3ad' stroke-width 1 rectangle 2.5,5.5 11.5,9
  $(grad front 0 7 0 14 '#ffe58a' '#f3b52c' "stroke '#8a5e08' stroke-width 1
      stroke-linejoin round polygon 0.5,13.5 3.5,7.5 14.5,7.5 11.5,13.5")"

# 145: about - blue disc with a white "i".
icon 145 16 16 "
  $(grad d 0 1 0 15 '#6fb2ff' '#1553b8' "stroke '#0b3a86' stroke-width 1
      circle 8,8 8,1.5")
  fill '#ffffff' stroke none circle 8,4.6 8,3.3
  rectangle 6,6.5 9,7.5 rectangle 7,6.5 9,11.5 rectangle 6,11 10,12.2"

# 146: web link - globe with meridians and parallels, clipped to its disc.
icon 146 16 16 "
  $(grad gl 0 1 0 15 '#86d4ff' '#1470c9' "stroke none circle 7.5,7.5 7.5,1")
  fill none stroke '#ffffffa0' stroke-width 1
  ellipse 7.5,7.5 3,6.5 0,360  line 7.5,1 7.5,14  line 1,7.5 14,7.5
  ellipse 7.5,-3 9,7.2 0,180  ellipse 7.5,18 9,7.2 180,360
  stroke '#083a78' circle 7.5,7.5 7.5,1" \
  \( -size 128x128 xc:none -fill black -draw "circle 60,60 60,4" \) \
  -compose DstIn -composite

# 147: exit - red power button.
icon 147 24 24 "
  $(grad r 0 1 0 23 '#ff8a7a' '#b3180c' "stroke '#7d0d05' stroke-width 1
      circle 12,12 12,1.5")
  fill '#ffffff40' stroke none ellipse 12,7 7,4 0,360
  fill none stroke '#ffffff' stroke-width 2 stroke-linecap round
  ellipse 12,12.6 6,6 -55,235
  line 12,5 12,12"

# 148: settings - steel gear with eight teeth and a hollow hub.
GEAR_TEETH() { # $1 = half tooth width, $2 = tip radius
  local a
  for a in 0 45 90 135; do
    printf 'push graphic-context translate 8,8 rotate %s ' "$a"
    printf 'rectangle -%s,-%s %s,%s pop graphic-context ' "$1" "$2" "$1" "$2"
  done
}
icon 148 16 16 "
  fill '#3d4757' stroke none $(GEAR_TEETH 1.8 7.8) circle 8,8 8,2
  $(grad st 0 1 0 15 '#c9d2de' '#5d6b80' "stroke none $(GEAR_TEETH 0.8 6.8) circle 8,8 8,3")
  fill '#3d4757' circle 8,8 8,5.3" \
  \( -size 128x128 xc:none -fill black -draw "circle 64,64 64,47" \) \
  -compose DstOut -composite

# 149: video file - a frame of film with a small play mark.
HOLES=$(for x in 2 4 6 8 10 12; do printf 'rectangle %d,3 %d,4 rectangle %d,12 %d,13 ' $x $((x + 1)) $x $((x + 1)); done)
icon 149 16 16 "
  fill '#2b303b' stroke '#16191f' stroke-width 1 roundrectangle 0.5,1.5 14.5,14.5 1,1
  fill '#f4f4f4' stroke none $HOLES
  $(grad pic 0 5 0 11 '#8fd0ff' '#2a78d6' "stroke none rectangle 2,5 13,11")
  fill '#ffffff' polygon 6,6 10,8 6,10"

# 150: delete / stop - bold red X.
icon 150 15 15 "
  fill none stroke-linecap round
  stroke '#8c1208' stroke-width 4 line 3.5,3.5 11.5,11.5 line 11.5,3.5 3.5,11.5
  stroke '#ee4433' stroke-width 2.2 line 3.5,3.5 11.5,11.5 line 11.5,3.5 3.5,11.5"

# 151: add / save - green plus.
icon 151 15 15 "
  fill '#126b25' stroke none rectangle 5,1 10,14 rectangle 1,5 14,10
  $(grad g 0 1 0 14 '#8fe39a' '#1f9436' "stroke none
      rectangle 6,2 9,13 rectangle 2,6 13,9")"

# 152: search - magnifying glass.
icon 152 16 16 "
  fill none stroke '#4a3a2a' stroke-width 3 stroke-linecap round line 10.5,10.5 13.8,13.8
  $(grad gl 0 2 0 11 '#eef8ff' '#9fd2f5' "stroke '#2f4c6e' stroke-width 1.6
      circle 6.5,6.5 6.5,1.7")
  fill none stroke '#ffffff' stroke-width 1 stroke-linecap round
  ellipse 6.5,6.5 3,3 190,260"

# -------------------------------------------------------------- banners ---
# Shared look: diagonal two-colour gradient, soft gloss, faint film-strip
# perforations along the bottom edge, and a round emblem on the left.
W=420 H=60
banner() { # banner OUT COLOR_LEFT COLOR_RIGHT EMBLEM_MVG TEXT_OPTIONS...
  local out=$1 c1=$2 c2=$3 emblem=$4; shift 4
  convert -size ${W}x${H} xc: \
    -sparse-color Barycentric "0,0 $c1  $W,$H $c2" \
    \( -size ${W}x30 gradient:'#ffffff38-#ffffff00' \) -geometry +0+0 -composite \
    -fill '#ffffff14' -stroke none \
    -draw "circle 380,-40 380,40 circle 300,110 300,40" \
    -fill '#00000028' -draw "rectangle 0,54 $W,60" \
    -fill '#ffffff30' -draw "$(for x in $(seq 4 12 416); do printf 'rectangle %d,56 %d,58 ' $x $((x + 5)); done)" \
    -draw "$emblem" \
    -font "$FONT" "$@" \
    -alpha off "${PNGOUT[@]}" "PNG24:bitmaps/$out"
}
# text X Y SIZE COLOR STRING [BOLDNESS] -> convert options for text with a
# soft drop shadow; BOLDNESS > 0 thickens the glyphs with an outline.
text() {
  local b=${6:-0} sh=none fg=none
  [ "$b" = 0 ] || { sh='#00000060'; fg=$4; }
  printf '%s\n' -pointsize "$3" -strokewidth "$b" \
    -fill '#00000060' -stroke "$sh" -annotate "+$(($1 + 1))+$(($2 + 1))" "$5" \
    -fill "$4" -stroke "$fg" -annotate "+$1+$2" "$5"
}
# Emblem: white disc holding a small phone with a play mark, ringed by film.
EMBLEM() { # $1 = accent colour, $2 = phone colour
  cat <<EOF
fill '#00000030' stroke none circle 37,30 37,4
fill '#ffffff' stroke '#ffffffa0' stroke-width 2 circle 35,28 35,3
fill none stroke '$1' stroke-width 4 stroke-dasharray 3,3 circle 35,28 35,7
fill '$2' stroke none roundrectangle 25,11 45,45 4,4
fill '#eaf3ff' rectangle 28,16 42,38
fill '$1' polygon 32,21 39,27 32,33
fill '#eaf3ff' circle 35,41.5 35,40
EOF
}

mapfile -t T130 < <(
  text 80 32 30 '#ffffff' 'Q9Plemo' 0.8
  text 218 31 13 '#d7ecff' 'Video Converter'
  text 81 51 15 '#fff3c4' '手机视频转换 · 免费绿色软件'
)
banner bitmap_130.png '#0b3a8a' '#33a0f0' "$(EMBLEM '#f08a1c' '#0d4aa6')" "${T130[@]}"

mapfile -t T143 < <(
  text 80 27 15 '#ffffff' '支持 RM RMVB AVI WMV MKV FLV MOV VOB'
  text 80 49 16 '#fff3c4' '转换为 MP4 / 3GP / FLV'
)
banner bitmap_143.png '#e0741a' '#10918f' "$(EMBLEM '#0d8c8a' '#c75a0c')" "${T143[@]}"

# The same two banners for the English window.
mapfile -t T130 < <(
  text 80 32 30 '#ffffff' 'Q9Plemo' 0.8
  text 218 31 13 '#d7ecff' 'Video Converter'
  text 81 51 15 '#fff3c4' 'Video for your phone · free software'
)
banner bitmap_130_en.png '#0b3a8a' '#33a0f0' "$(EMBLEM '#f08a1c' '#0d4aa6')" "${T130[@]}"
mapfile -t T143 < <(
  text 80 27 15 '#ffffff' 'Reads RM RMVB AVI WMV MKV FLV MOV VOB'
  text 80 49 16 '#fff3c4' 'Writes MP4 / 3GP / FLV'
)
banner bitmap_143_en.png '#e0741a' '#10918f' "$(EMBLEM '#0d8c8a' '#c75a0c')" "${T143[@]}"

echo "art written to $(pwd)/icons, $(pwd)/hicolor and $(pwd)/bitmaps"
