// The desktop font for a form and its components, at a bounded size.
#pragma once

class TForm;

void ApplySystemFont(TForm* Form);
