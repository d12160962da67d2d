# keep-going
# In module mode, a line the module refuses and nothing else takes is answered by the module:
# its reply says what was wrong with the line.
cd @DEMO@
load head.qv
Scene
slice 3
coolstart
add head
slice 47
slice 48
slice abc
orientation diagonal
add nosuch
ver
exit
slice 3
