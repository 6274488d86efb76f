#!/bin/sh
# Regenerates the simple icons and the logo under images/ (ImageMagick's convert).
set -e
cd "$(dirname "$0")/../images"
icon() { # name fill shape...
    name=$1; fill=$2; shift 2
    convert -size 32x32 xc:none -fill "$fill" -stroke black -strokewidth 1 "$@" "$name"
}
icon page.png white -draw "polygon 7,3 20,3 26,9 26,29 7,29" -draw "line 20,3 20,9" -draw "line 20,9 26,9"
icon open.png '#f0c040' -draw "polygon 3,9 12,9 14,12 28,12 28,28 3,28"
icon save.png '#4060c0' -draw "rectangle 4,4 28,28" -fill white -draw "rectangle 9,4 23,13"
icon save_as.png '#40a0c0' -draw "rectangle 4,4 28,28" -fill white -draw "rectangle 9,4 23,13" -fill red -draw "circle 24,24 28,24"
icon read.bmp '#30a030' -draw "polygon 16,28 5,15 12,15 12,4 20,4 20,15 27,15"
icon write.bmp '#c03030' -draw "polygon 16,4 5,17 12,17 12,28 20,28 20,17 27,17"
icon load.png '#8040c0' -draw "rectangle 6,6 26,26" -fill white -draw "polygon 16,9 10,17 14,17 14,23 18,23 18,17 22,17"
icon service.bmp '#808080' -draw "circle 16,16 16,5" -fill white -draw "circle 16,16 16,11"
icon task.bmp '#e0e0a0' -draw "rectangle 5,4 27,28" -draw "line 9,10 23,10" -draw "line 9,16 23,16" -draw "line 9,22 23,22"
icon device.png '#60a060' -draw "rectangle 3,8 29,24" -fill black -draw "rectangle 7,12 12,20"
icon radio.png '#404040' -draw "rectangle 8,10 24,29" -draw "line 20,10 26,2" -fill '#80ff80' -draw "rectangle 11,13 21,18"
icon mic.png '#a0a0a0' -draw "roundrectangle 12,3 20,19 4,4" -fill none -draw "arc 8,9 24,23 0,180" -draw "line 16,23 16,29"
icon transmit.png '#2080e0' -fill none -strokewidth 2 -draw "arc 4,4 28,28 -60,60" -draw "arc 10,10 22,22 -60,60" -fill black -draw "circle 16,16 17,16"
icon cast.png '#606060' -fill none -strokewidth 3 -draw "arc 5,5 27,27 180,360" -fill '#606060' -strokewidth 1 -draw "rectangle 3,15 9,25" -draw "rectangle 23,15 29,25"
icon connect.png '#c08040' -draw "rectangle 4,12 14,20" -draw "rectangle 18,12 28,20" -draw "line 14,16 18,16"
icon compress.png '#40c0a0' -draw "polygon 4,4 28,4 19,16 28,28 4,28 13,16"
icon sound.png '#404040' -draw "polygon 4,12 10,12 18,5 18,27 10,20 4,20" -fill none -draw "arc 16,9 28,23 -50,50"
icon recorder.png '#c04040' -draw "circle 16,16 16,4" -fill white -draw "circle 16,16 16,12"
icon link.png '#4080c0' -fill none -strokewidth 3 -draw "roundrectangle 3,11 18,21 5,5" -draw "roundrectangle 14,11 29,21 5,5"
icon monitor.png '#303030' -draw "rectangle 3,4 29,23" -draw "rectangle 12,24 20,28" -fill '#40c0ff' -draw "rectangle 6,7 26,20"
icon report.png white -draw "rectangle 5,3 27,29" -fill '#4080ff' -draw "rectangle 9,18 12,26" -draw "rectangle 15,12 18,26" -draw "rectangle 21,7 24,26"
icon picture.png '#102040' -draw "rectangle 3,3 29,29" -fill yellow -stroke none -draw "circle 10,10 11,10" -draw "circle 22,10 23,10" -draw "circle 10,22 11,22" -draw "circle 22,22 23,22"
icon channel.png black -draw "rectangle 3,5 29,27" -fill none -stroke '#40ff40' -draw "polyline 5,16 9,9 13,23 17,9 21,23 25,9 27,16"
icon trace.png white -draw "rectangle 4,3 28,29" -stroke '#2040a0' -draw "line 8,9 24,9" -draw "line 8,14 20,14" -draw "line 8,19 24,19" -draw "line 8,24 16,24"
icon info.png '#2060d0' -draw "circle 16,16 16,3" -fill white -stroke none -draw "rectangle 14,13 18,25" -draw "circle 16,8 18,8"
icon zoomin.png white -strokewidth 2 -draw "circle 13,13 13,4" -draw "line 19,19 28,28" -draw "line 9,13 17,13" -draw "line 13,9 13,17"
icon zoomout.png white -strokewidth 2 -draw "circle 13,13 13,4" -draw "line 19,19 28,28" -draw "line 9,13 17,13"
convert -size 32x32 xc:none -fill '#208040' -stroke black -draw "rectangle 7,7 25,25" \
    -draw "line 10,2 10,7" -draw "line 16,2 16,7" -draw "line 22,2 22,7" \
    -draw "line 10,25 10,30" -draw "line 16,25 16,30" -draw "line 22,25 22,30" \
    -draw "line 2,10 7,10" -draw "line 2,16 7,16" -draw "line 2,22 7,22" \
    -draw "line 25,10 30,10" -draw "line 25,16 30,16" -draw "line 25,22 30,22" chip.ico
# Logo: a blue disc with a white wave. Stored as PNG although the forms know it as
# ":/images/velk.jpg" (see ../CMakeLists.txt).
convert -size 96x96 xc:white -fill '#1848a0' -stroke none -draw "circle 48,48 48,6" \
    -fill none -stroke white -strokewidth 6 -draw "bezier 14,48 30,20 46,76 62,48" \
    -draw "bezier 62,48 70,34 78,40 84,48" -strip PNG24:velk.png
