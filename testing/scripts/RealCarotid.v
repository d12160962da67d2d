# A real VTK image volume (an MR angiogram) in the three-plane volume layer.
load @TESTDATA@/mesh/vtk/carotid.vtk
Scene
coolstart
new layer vol3d carotid IV
info layer
