#!/usr/bin/env bash
# Draws the sample lesson: 24 moments of a low passing over the islands, each
# with a cloud photo, a weather map and a rain map, and four sky photos of the
# class's own site. Everything is synthetic and made here with ImageMagick, so
# the pictures can be re-made (same seeds, same pictures) and carry no rights.
# Only JPEG and BMP: the formats every build reads without decoder plug-ins.
set -euo pipefail
cd "$(dirname "$0")/.."
out=samples
pics=$out/pictures
rm -rf "$pics"
mkdir -p "$pics"
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
[ -f "$font" ] || font=DejaVu-Sans
rows=24
w=320
h=240

# The islands, drawn the same on every map: a rough arc from south-west to north-east.
land="polygon 40,230 70,190 105,170 140,150 170,120 200,100 230,70 260,55 285,40 300,48 275,75 240,95 215,125 185,150 150,175 115,195 85,215 60,235"

# One wide field of clouds; each cloud photo is a window on it further west,
# so the clouds drift east from one row to the next.
convert -size $((w + rows * 8))x$h -seed 7 plasma:grey50-grey50 -blur 0x3 -colorspace gray \
  -level 45%,85% "$pics/.cloudfield.png"

for i in $(seq 1 $rows); do
  n=$(printf %02d "$i")
  x=$((rows * 8 - i * 8))
  # The low's centre moves from the south-west to the north-east.
  cx=$((60 + i * 9))
  cy=$((190 - i * 5))

  # Cloud photo: dark sea, grey land, white clouds where the field is bright,
  # thickest around the low.
  convert -size ${w}x${h} xc:'#0b1a2e' -fill '#3a3f36' -draw "$land" \
    \( "$pics/.cloudfield.png" -crop ${w}x${h}+${x}+0 +repage \
       \( -size ${w}x${h} radial-gradient:white-black -roll "$(printf %+d%+d $((cx - w / 2)) $((cy - h / 2)))" \) \
       -compose multiply -composite -level 0%,70% \) \
    -compose screen -composite -quality 80 "$pics/kumo$n.jpg"

  # Weather map: coast, isobars round the low and round a high to its east.
  hx=$((cx + 150))
  hy=$((cy + 30))
  draw=""
  for r in 14 30 46 62 78 94; do
    draw+="ellipse $cx,$cy $r,$((r * 4 / 5)) 0,360 "
    draw+="ellipse $hx,$hy $((r + 10)),$((r * 3 / 4 + 8)) 0,360 "
  done
  convert -size ${w}x${h} xc:white -fill '#e8f0d8' -stroke '#607050' -draw "$land" \
    -fill none -stroke '#202020' -strokewidth 1 -draw "$draw" \
    -stroke none -fill '#c00000' -font "$font" -pointsize 22 -annotate +$((cx - 8))+$((cy + 8)) '低' \
    -fill '#0030c0' -annotate +$((hx - 8))+$((hy + 8)) '高' \
    -fill black -pointsize 12 -annotate +6+16 "$(printf '5月%d日 %d時' $((10 + (i - 1) / 8)) $(( ((i - 1) % 8) * 3 )))" \
    -type palette -colors 16 BMP3:"$pics/tenkizu$n.bmp"

  # Rain map: grey land, rain bands east of the low, heavier near its centre.
  convert -size ${w}x${h} xc:'#f4f4f4' -fill '#c8c8c8' -stroke '#909090' -draw "$land" -stroke none \
    -fill '#80c0ff' -draw "ellipse $((cx + 40)),$((cy - 10)) 70,38 0,360" \
    -fill '#2060ff' -draw "ellipse $((cx + 30)),$((cy - 6)) 42,24 0,360" \
    -fill '#ffd000' -draw "ellipse $((cx + 22)),$((cy - 2)) 20,12 0,360" \
    -fill '#ff2000' -draw "ellipse $((cx + 18)),$((cy)) 7,5 0,360" \
    -type palette -colors 16 BMP3:"$pics/ame$n.bmp"
done
rm -f "$pics/.cloudfield.png"

# Four sky photos of the site: sky gradient and clouds, a different sky each way.
i=0
for dir in north south east west; do
  i=$((i + 1))
  convert -size ${w}x${h} gradient:'#3d7fd0'-'#b8d8f4' \
    \( -size ${w}x${h} -seed $((20 + i)) plasma:grey40-grey60 -blur 0x6 -colorspace gray \
       -level $((40 + i * 6))%,95% \) -compose screen -composite \
    -fill '#2f4a2a' -draw "rectangle 0,$((h - 30)) $w,$h" \
    -fill '#1e3320' -draw "polygon 0,$((h - 30)) 40,$((h - 60 - i * 5)) 90,$((h - 30))" \
    -quality 80 "$pics/sora_$dir.jpg"
done

# The list itself, version 2, in the code page the program writes when every
# value fits it. Row 7 has no rain map: the fill-in option shows row 6's there.
{
  printf '"雲の写真","天気図","雨の分布","北の空","南の空","東の空","西の空"\r\n'
  for i in $(seq 1 $rows); do
    n=$(printf %02d "$i")
    rain="pictures/ame$n.bmp"
    [ "$i" = 7 ] && rain=""
    sky='"","","",""'
    if [ "$i" = 1 ] || [ "$i" = 12 ] || [ "$i" = 24 ]; then
      sky='"pictures/sora_north.jpg","pictures/sora_south.jpg","pictures/sora_east.jpg","pictures/sora_west.jpg"'
    fi
    printf '"pictures/kumo%s.jpg","pictures/tenkizu%s.bmp","%s",%s\r\n' "$n" "$n" "$rain" "$sky"
  done
} | iconv -f UTF-8 -t CP932 > "$out/lesson.NV2"
du -sh "$out"
