#!/bin/sh
# Draws the splash picture (373 x 336), the button glyphs and the desktop icon
# with ImageMagick. Run from this folder; the results are committed.
set -e

# Splash: a cocktail glass on an evening sky with the name across the bowl.
convert -size 373x336 gradient:'#ffb347-#6a1b4d' \
  -fill '#ffffff30' -draw 'circle 300,60 300,100' \
  -stroke '#f2f7ff' -strokewidth 5 -fill '#cfe8ff40' \
  -draw 'polygon 70,62 303,62 186,196' \
  -stroke none -fill '#ff4f7b' -draw 'polygon 92,80 281,80 186,184' \
  -fill '#ff8fa8' -draw 'polygon 92,80 281,80 270,92 103,92' \
  -stroke '#6b4226' -strokewidth 3 -draw 'line 214,40 250,118' \
  -stroke '#2f5d1e' -strokewidth 2 -fill '#6b8e23' -draw 'circle 236,88 236,101' \
  -fill '#d9534f' -stroke none -draw 'circle 236,88 236,93' \
  -stroke '#f2f7ff' -strokewidth 7 -draw 'line 186,196 186,292' \
  -stroke '#f2f7ff' -strokewidth 3 -fill '#dfefff' -draw 'ellipse 186,298 62,11 0,360' \
  -font DejaVu-Sans-Bold -pointsize 58 -gravity center \
  -stroke '#3b0a2a' -strokewidth 8 -fill '#3b0a2a' -annotate +0-22 'Mixolino' \
  -stroke none -fill '#fff6d5' -annotate +0-22 'Mixolino' \
  -quality 90 -sampling-factor 2x2 splash.jpg

# Check mark for the OK and "Speichern" buttons.
convert -size 16x16 xc:none -stroke '#1e8c2d' -strokewidth 3 -fill none \
  -draw 'polyline 2,8 6,12 14,3' ok.png

# "Zusatzf.": a white plus in a blue circle.
convert -size 16x16 xc:none -fill '#2b6cb0' -stroke '#1a4571' -strokewidth 1 \
  -draw 'circle 7.5,7.5 7.5,1' -stroke white -strokewidth 2 \
  -draw 'line 4,7.5 11,7.5' -draw 'line 7.5,4 7.5,11' zusatz.png

# Desktop icon: the glass alone, 256 x 256.
convert -size 256x256 xc:none \
  -stroke '#4a6fa5' -strokewidth 8 -fill '#e6f2ff' \
  -draw 'polygon 28,40 228,40 128,150' \
  -stroke none -fill '#ff4f7b' -draw 'polygon 50,56 206,56 128,142' \
  -stroke '#6b4226' -strokewidth 5 -draw 'line 150,16 182,86' \
  -stroke '#2f5d1e' -strokewidth 3 -fill '#6b8e23' -draw 'circle 170,62 170,76' \
  -stroke '#4a6fa5' -strokewidth 10 -draw 'line 128,150 128,224' \
  -strokewidth 6 -fill '#e6f2ff' -draw 'ellipse 128,230 54,12 0,360' \
  mixolino.png
