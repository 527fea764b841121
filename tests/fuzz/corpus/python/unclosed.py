import maya.cmds as cmds
cmds.ls(