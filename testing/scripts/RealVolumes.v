# Real image volumes of the shared test data: a DICOM knee slice and a VTK angiogram volume,
# shown as an image slice and as the three-plane volume layer.
load @TESTDATA@/dicom/single/DICOM_KNEE.dcm
load @TESTDATA@/mesh/vtk/carotid.vtk
ws
Scene
coolstart
new layer ImageSlice DICOM_KNEE IV
info layer
