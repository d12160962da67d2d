# keep-going
# The language without data: words, replies and result codes that need no viewer.
ver
ws
info
info banana
info monitor
info layer
new banana
new
new sphere 1 2 3
new sphere 0 0 0 5
ws
sf a b c
surface a
set
set bcolor 1 0 0
set bcolor 2 0 0
set color 1e999 0 0
set color nan -0 0x10
set opacity 0.5
set caption 'Two words'
set orientation diagonal x
set size 3
el
el IV
rc
rc a b
rc nosuch
clear
clear command
clear workspace
clear viewer
hide
show x
rm sphere1
rm nosuch
transform x
transform x y.mat
mc a
mc nosuch 1 2 3
residual a
cd a b
open  nosuch.vtk
