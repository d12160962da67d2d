# Real surface files of the shared test data (a VRML teapot, an OBJ cow and a small point set)
# shown as layers of the 3-D scene module.
cd @TESTDATA@/mesh
load vrml/teapot.wrl
load obj/cow.obj
load vtk/teeth.vtk
ws
Scene
coolstart
new layer mesh teapot IV
new layer mesh cow IV
new layer landmark teeth IV
set opacity 0.7 Layer_cow
info layer
