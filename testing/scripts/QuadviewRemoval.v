# Removals in the volume view in the orders a user may choose: a slice layer while its two friends
# stay, a friend changed afterwards, then the volume taken out of the workspace while the view
# still shows it.
cd @DEMO@
load head.qv
Quadview
add head
rm Layer_head0
set opacity 0.5 Layer_head
set opacity 0.25 Layer_head1
layers
rm head
ws
render
rm Layer_head
layers
