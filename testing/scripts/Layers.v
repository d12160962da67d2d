# keep-going
# Layers of every kind in the 3-D scene module on the demo data, and what the viewer words do.
cd @DEMO@
load ring.vtk
load marks.vtk
load head.qv
new layer mesh ring IV
Scene
coolstart
info ren
new layer mesh ring
new layer mesh ring IV a b c
new layer Label x IV
new layer mesh ring nosuch
new layer text a IV
new layer MESH ring IV
new layer landmark marks IV
new layer vol head IV
new layer vol3d head IV
new layer vr head IV
new layer text 'upper left' 'upper right' 'lower left' '' IV
info layer
info layer 5
info layer 6
info layer -1
set orientation XZ Layer_head
set orientation xy Layer_ring
set orientation xy nosuch
set color 0.2 0.4 0.8
set bcolor 0.1 0.1 0.2
set opacity 0.5 Layer_ring
set opacity 0.5 nosuch
set opacity 2 Layer_ring
hide Layer_5
hide nosuch
show Layer_5
el IV
el nosuch
el off
rc IV
rm Layer_5
rm Layer_head
info layer
residual ring marks
ws
