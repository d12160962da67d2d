# The Vemora demo: the bundled data (a ring model, six landmarks and a small head-like volume)
# shown in the 3-D scene module of the first viewing tab.
cd @VEMORA_DEMO_FOLDER@
load ring.vtk
load marks.vtk
load head.qv
ws
# Start the scene module in this tab; the lines after it go to the module first.
Scene
coolstart
new layer ImageSlice head IV
set orientation xy Layer_head
# The module shows the middle of the 48 slices.
slice 24
new layer mesh ring IV
new layer landmark marks IV
set opacity 0.6 Layer_ring
new layer text 'Vemora demo' '' 'ring, marks and head' '' IV
info layer
