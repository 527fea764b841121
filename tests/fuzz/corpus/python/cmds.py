import maya.cmds as cmds
cmds.polyPlane(w=2, h=2, sx=2, sy=2, n='base')
cmds.deformer('base', type='kivoMorph', n='m')
cmds.setAttr('m.weight[0]', 0.5)
cmds.pointPosition('base.vtx[4]')
