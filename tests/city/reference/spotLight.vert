#version 330 compatibility

// Reference for the van's lighting: per-vertex colours lit by the eight
// fixed spot lights (the head lights, 0 and 1, are the van's own and do not
// light it), which arrive relative to the van (x and z in the view's axes,
// y as world heights), plus a faint fill from the camera.
uniform mat4 mvMatrix;
uniform mat4 pMatrix;
uniform mat3 normalMatrix;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec4 vVertex;
in vec3 vNormal;
in vec4 vColor;

out vec4 color;

void main()
{
    vec4 eye = mvMatrix * vVertex;
    gl_Position = pMatrix * eye;
    vec3 turned = mat3(mvMatrix) * vVertex.xyz;
    vec3 vanRelative = vec3(turned.x, vVertex.y, turned.z);
    vec3 n = normalize(normalMatrix * vNormal);
    vec3 toEye = normalize(-eye.xyz);
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    for (int i = 2; i < 10; ++i) {
        vec3 toLight = lightPos[i].xyz - vanRelative;
        float lightDistance = length(toLight);
        vec3 l = toLight / lightDistance;
        float cutoff = spotCosCutoff[i];
        float cone = smoothstep(cutoff, cutoff + 0.25 * (1.0 - cutoff), dot(-l, normalize(spotDir[i])));
        float d = lightDistance / 170.0;
        float strength = cone / (1.0 + d * d);
        diffuseSum += diffuse.rgb * max(dot(n, l), 0.0) * strength;
        vec3 h = normalize(l + toEye);
        specularSum += specular.rgb * pow(max(dot(n, h), 0.0), 32.0) * strength;
    }
    vec3 base = clamp(vColor.rgb, 0.0, 1.0);
    float fill = 0.08 * max(dot(n, toEye), 0.0);
    color = vec4(base * (ambient.rgb + diffuseSum + vec3(fill)) + specularSum, 1.0);
}
