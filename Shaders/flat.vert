#version 330 compatibility

// Unlit geometry with one colour per vertex: the job markers above the
// destinations and the direction triangles over the van.
uniform mat4 rotation_matrix;

in vec4 in_position;
in vec4 in_color;

out vec4 color;

void main()
{
    color = in_color;
    gl_Position = rotation_matrix * in_position;
}
